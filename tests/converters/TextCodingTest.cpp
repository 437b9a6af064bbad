#include <gtest/gtest.h>

#include "ConverterTestSupport.h"

// Base64, URL coding, character widths, HTML entities and file paths, through the converters.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using testing::plainTextResult;
using testing::text;

struct ConversionCase {
    std::string converter;
    std::string input;
    std::optional<std::string> output;  // nothing: the input comes back unchanged
};

class TextCodingTest : public ::testing::Test {
  protected:
    void expectAll(const std::vector<ConversionCase>& cases) {
        for (const auto& c : cases) {
            const ClipboardContent input = text(c.input, {clipboard::ContentTag::html});
            EXPECT_EQ(harness.run(harness.named(c.converter), input),
                      c.output ? plainTextResult(*c.output) : input)
                << c.converter << " of \"" << c.input << "\"";
        }
    }

    std::string convert(const std::string& converter, const std::string& input) {
        return harness.run(harness.named(converter), text(input))
            .value_or(ClipboardContent())
            .plainText.value_or("(nothing)");
    }

    testing::ConverterHarness harness;
};

TEST_F(TextCodingTest, Base64AndUrlCoding) {
    expectAll({
        {"base64.decode", "  SGVsbG8sIOS4lueVjA==\n", "Hello, \u4e16\u754c"},
        {"base64.decode", "SGVs\nbG8=", std::nullopt},  // a line break inside
        {"base64.decode", "//79", std::nullopt},        // bytes that are not UTF-8
        {"base64.decode", "SGVsbG8*", std::nullopt},
        {"base64.encode", " a\u00e9 ", "IGHDqSA="},  // not trimmed
        {"url.decode", "a%20b+c%2fd%C3%A9", "a b+c/d\u00e9"},
        {"url.decode", "100%", std::nullopt},
        {"url.decode", "%4", std::nullopt},
        {"url.decode", "%zz", std::nullopt},
        {"url.decode", "%FF", std::nullopt},
        {"url.encode", "a b/?=&\u00e9%~", "a%20b/?=&%C3%A9%25~"},
        {"url.encode", "<\"#[]{}|\\^`>", "%3C%22%23%5B%5D%7B%7D%7C%5C%5E%60%3E"},
        {"url.encode", "", std::nullopt},
        // Letters, digits and the nineteen others stay as they are.
        {"url.encode", "azAZ09!$&'()*+,-./:;=?_~@", "azAZ09!$&'()*+,-./:;=?_~@"},
    });
    for (const std::string sample : {"", "plain", "\u65e5\u672c\u8a9e \U0001F600 + % & =/?#"}) {
        EXPECT_EQ(convert("base64.decode", convert("base64.encode", sample)), sample);
        if (!sample.empty()) {
            EXPECT_EQ(convert("url.decode", convert("url.encode", sample)), sample);
        }
    }
    EXPECT_NE(convert("url.encode", "%41"), convert("url.encode", convert("url.encode", "%41")));
}

TEST_F(TextCodingTest, CharacterWidths) {
    expectAll({
        {"fullwidth.toHalf", "\uff21\uff22\uff43\uff11\uff12\u3000\u3042\u6f22\uff01\uff5e\uff61",
         "ABc12 \u3042\u6f22!~\uff61"},
        {"fullwidth.toHalf", "\uffe5\uffe0\uff5f", "\uffe5\uffe0\uff5f"},
        {"fullwidth.toFull", "A b\t\n", "\uff21\u3000\uff42\t\n"},
        {"fullwidth.toFull", "e\u0301\U0001F600", "\uff45\u0301\U0001F600"},
    });
    std::string ascii;
    for (char c = 0x20; c <= 0x7E; ++c)
        ascii += c;
    EXPECT_EQ(convert("fullwidth.toHalf", convert("fullwidth.toFull", ascii)), ascii);
}

TEST_F(TextCodingTest, EntitiesAreDecodedOncePerOccurrence) {
    expectAll({
        {"html.escape", "<a href=\"x\">Tom & Jerry's</a>",
         "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&#39;s&lt;/a&gt;"},
        {"html.escape", "&lt;", "&amp;lt;"},
        {"html.unescape", "&amp;lt;", "&lt;"},
        {"html.unescape", "&amp;amp;&amp;", "&amp;&"},
        {"html.unescape", "&lt;&gt;&quot;&#39;&#x27;&apos;", "<>\"'''"},
        {"html.unescape", "&AMP; &#60; &nbsp; &amp &", "&AMP; &#60; &nbsp; &amp &"},
    });
    for (const std::string sample : {"&lt;", "&amp;lt;", "a<b>&\"'c", "&&;;&#39"}) {
        EXPECT_EQ(convert("html.unescape", convert("html.escape", sample)), sample);
    }
}

TEST_F(TextCodingTest, FilePathsAndNames) {
    expectAll({
        {"filepath", "/home/mika/report.pdf", "/home/mika/report.pdf"},
        {"filename", "/home/mika/report.final.pdf", "report.final.pdf"},
        {"filename", "/home/mika/photos/", "photos"},
        {"filename", "relative/dir//", "dir"},
        {"filename", "/", "/"},
        {"filename", "report.pdf", std::nullopt},
    });
}

TEST_F(TextCodingTest, ConvertersWithoutTheirInputGiveItBackWhole) {
    ClipboardContent empty;
    empty.pasteboardTypes = {"public.png"};
    empty.sourceBundleID = "org.example.viewer";
    empty.tags = {clipboard::ContentTag::plainText};
    ClipboardContent htmlOnly = empty;
    htmlOnly.html = "<p>only html</p>";
    for (const Converter* converter : testing::everyConverter())
        EXPECT_EQ(harness.run(*converter, empty), empty) << converter->id();
    EXPECT_EQ(harness.run(Converters::pasteAsIs(), htmlOnly), htmlOnly);
    // The HTML-to-text converter reads the HTML even without text.
    EXPECT_EQ(harness.run(harness.named("plaintext"), htmlOnly), plainTextResult("only html"));
}

}  // namespace
}  // namespace pindrake::converters
