#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/MarkdownDetection.h"
#include "support/Growth.h"
#include "support/RepeatedText.h"

namespace pindrake::clipboard {
namespace {

using test_support::repeated;

using Tag = ContentTag;

// The kinds' raw values, space-separated in their order: "url urlEncoded".
std::string tagsOf(std::string_view text) {
    std::string out;
    for (Tag tag : ClipboardMonitor::detectTags(text))
        out += (out.empty() ? "" : " ") + std::string(rawValue(tag));
    return out;
}

// Each row: the kinds expected, and texts that must get exactly those kinds.
TEST(ContentDetectionTest, ClassifiesTexts) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        // Unix time: 10 digits for seconds, 13 for milliseconds, 2000 to 2100 inclusive; the
        // Arabic-Indic digits are numeric but no number.
        {"unixTime", {"1700000000", "1710000000000", "0946684800", "4102444800"}},
        {"", {"17000000000", "00001700000000", "0946684799", "4102444801", "١٧٠٠٠٠٠٠٠٠"}},
        // JSON: an object or an array at the top.
        {"json", {"[1, 2]", "  [1,2]  \n", "{\"a\": {\"b\": [true, null]}}"}},
        {"", {"{word}", "42", "[1, 2] and more"}},
        // JWT: "eyJ" and three dot-separated pieces; empty pieces do not count.
        {"jwt", {"eyJhbGciOi.eyJzdWIi.c2lnbmF0dXJl", "eyJhbGciOi..eyJzdWIi.c2lnbmF0dXJl"}},
        {"",
         {"eyJhbGciOi.eyJzdWIi.c2lnbmF0dXJl.more", "eyIhbGciOi.eyJzdWIi.c2lnbmF0dXJl",
          "EYJhbGciOi.eyJzdWIi.c2lnbmF0dXJl", "abc.def.ghi"}},
        // Colour codes (held to their pattern below), and a heading that looks like one.
        {"colorCode", {"rgb(1, 2, 3)", "HSL(120, 50%, 50%)"}},
        {"", {"rgba(1, 2, 3, 0.5)"}},
        // Web addresses and percent escapes.
        {"urlEncoded url", {"https://example.com/a%20b%2Fc"}},
        {"url", {"http://localhost:8080/x?y=1#z"}},
        {"", {"https://exa mple.com", "https:///nohost", "ftp://example.com"}},
        // HTML (held to its pattern below) is also a top-level Markdown block.
        {"html markdown", {"<div class=\"x\">x</div>"}},
        // Markdown: a top-level block other than a paragraph. A link definition is none, and an
        // indented first line is trimmed to a paragraph.
        {"markdown",
         {"# Title", "- item", "text\n\n    indented code", "| a | b |\n|---|---|\n| 1 | 2 |",
          "- [x] done"}},
        {"", {"**bold** and `code`", "[ref]: http://example.com", "    indented code"}},
        // Full-width forms; the ideographic space does not count.
        {"fullWidth", {"ＡＢＣ", "ｶﾀｶﾅ"}},
        {"", {"a\u3000b"}},
        // Base64 ignores line feeds but not other white space; blank text passes nothing.
        {"base64", {"123456789012", "SGVsbG8s\nV29ybGQ="}},
        {"", {"SGVsbG8s V29ybGQ=", "SGVsbG8=V29y", "QQ==", " \n\t "}},
    };
    for (const auto& [expected, texts] : cases) {
        for (const auto& text : texts)
            EXPECT_EQ(tagsOf(text), expected) << "text: " << text;
    }
}

// The tests stated as regular expressions are written out by hand; each row is checked against
// the pattern in the comment, around the edges a hand-written matcher gets wrong.
TEST(ContentDetectionTest, HandWrittenMatchersAnswerExactlyAsTheirPatterns) {
    struct Pattern {
        Tag tag;
        std::vector<std::string> matching;
        std::vector<std::string> notMatching;
    };
    const std::vector<Pattern> patterns = {
        // Two or more of %[0-9A-Fa-f]{2}.
        {Tag::urlEncoded,
         {"a%2fb%2Fc", "%%41%42", "%41%4g%42", "100%AB%CD"},
         {"%41", "%4%41", "%zz%41", "%41%", "%\uFF41\uFF42%41"}},
        // Case-insensitive <(html|head|body|div|span|p|a|img|table|tr|td|th|ul|ol|li|h[1-6]|br|hr|
        // b|i|em|strong|pre|code|form|input|button|script|style|link|meta)[\s>/] anywhere in the
        // trimmed text. NEL is white space, a zero-width space is not; the long s, the Kelvin sign
        // and the st ligature fold to ASCII letters, the capital and the dotless i do not fold to
        // "img".
        {Tag::html,
         {"<div>", "<DiV class=x>", "<div\ny", "<b\u0085x", "<h1>", "<H6/>", "<\u017Fpan>",
          "<lin\u212A>", "<\uFB06yle>", "<<b>", "x<a href=y>"},
         {"</div>", "<divx>", "a <div", "<p\u200Bx", "<h7>", "<h1x>", "<h>", "<\u0130mg>",
          "<\u0131>", "< b>", "<abbr>", "<<<"}},
        // ^#[0-9A-Fa-f]{6}$|^#[0-9A-Fa-f]{3}$ on the trimmed text.
        {Tag::colorCode,
         {"#fff", "#A1b2C3"},
         {"#abcd", "#abcdeg", "#ggg", "##fff", "#fff0000", "# fff", "#\uFF11\uFF12\uFF13",
          "#abc\n#def"}},
    };
    for (const auto& pattern : patterns) {
        for (const bool expected : {true, false}) {
            for (const auto& text : expected ? pattern.matching : pattern.notMatching)
                EXPECT_EQ(ClipboardMonitor::detectTags(text).contains(pattern.tag), expected)
                    << rawValue(pattern.tag) << " for " << text;
        }
    }
}

// Long texts are read as Markdown only as far as the last whole line in their first 256 KiB.
TEST(ContentDetectionTest, MarkdownDetectionReadsWholeLinesOfTheBeginningOnly) {
    const std::size_t limit = 256 * 1024;
    for (const std::string lineBreak : {"\n", "\r", "\r\n"}) {
        // The line straddling the limit starts with what alone would be a thematic break.
        std::string text;
        while (text.size() < limit - 200)
            text += "plain words in a paragraph" + lineBreak;
        text += std::string(limit - 50 - text.size() - lineBreak.size(), 'w') + lineBreak;
        text += std::string(100, '_') + " and then words" + lineBreak;
        EXPECT_FALSE(hasMarkdownBlockStructure(text));

        std::string heading = "# Heading" + lineBreak + text;
        EXPECT_TRUE(hasMarkdownBlockStructure(heading));

        text += "# A heading after the limit" + lineBreak;
        EXPECT_FALSE(hasMarkdownBlockStructure(text));

        // A short text is read whole, however wide one of its lines.
        const std::string wide = std::string(1500, '|') + lineBreak + "# Heading" + lineBreak;
        EXPECT_TRUE(hasMarkdownBlockStructure(wide));
    }
}

// Texts whose inline Markdown (brackets, quotes under smart punctuation, raw HTML) costs time
// that grows with their square: the test answers as for any text, in time that grows with the
// text alone. Each row is read at 16 KiB and at 256 KiB, the most the test reads: 16 times the
// text may take 64 times as long at most, far below the 256 times of quadratic work.
TEST(ContentDetectionTest, MarkdownDetectionCostsLinearTimeWhateverTheInlines) {
    const std::size_t most = 256 * 1024;
    const struct {
        const char* name;
        std::function<std::string(std::size_t)> text;
        bool markdown;
    } rows[] = {
        {"images in brackets", [](std::size_t size) { return repeated("![[]()", size / 6); },
         false},
        {"quotes", [](std::size_t size) { return repeated("\"", size); }, false},
        {"character data openings",
         [](std::size_t size) { return "x" + repeated("<![CDATA[", (size - 1) / 9); }, false},
        {"ordinary lines",
         [](std::size_t size) {
             return repeated("Plain words, \"quoted\" -- and more.\n", size / 35);
         },
         false},
        {"a heading below brackets",
         [](std::size_t size) { return repeated("![[]()", size / 6 - 2) + "\n# end"; }, true},
        {"deep list items over blank lines",
         [](std::size_t size) {
             return repeated("- ", size / 4) + "x" + repeated("\n", size / 2 - 1);
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string small = row.text(most / 16);
        const std::string large = row.text(most);
        ASSERT_LE(large.size(), most);
        EXPECT_EQ(hasMarkdownBlockStructure(small), row.markdown);
        EXPECT_EQ(hasMarkdownBlockStructure(large), row.markdown);
        const double grew = test_support::growth([&] { hasMarkdownBlockStructure(small); },
                                                 [&] { hasMarkdownBlockStructure(large); }, 3);
        EXPECT_LT(grew, 16 * 4);
    }
}

// A text is JSON exactly when the JSON converters can lay it out: after a byte-order mark,
// nested at most 512 deep, with only JSON's own white space around it, numbers and escapes
// taken as written.
TEST(ContentDetectionTest, JsonIsWhatTheJsonConvertersTake) {
    const std::pair<std::string, bool> rows[] = {
        {"\xEF\xBB\xBF{\"a\": [1, 2]}", true},
        {"\xEF\xBB\xBF\r\n [1]\n", true},
        {" \xEF\xBB\xBF[1]", false},
        {"\xEF\xBB\xBF\xEF\xBB\xBF[1]", false},
        {repeated("[", 512) + repeated("]", 512), true},
        {repeated("[", 513) + repeated("]", 513), false},
        {"\u00A0[1]", false},
        {"[1]\u3000", false},
        {"{\"a\": 1e400}", true},
        {"[\"\\ud800\"]", true},
    };
    for (const auto& [text, json] : rows)
        EXPECT_EQ(ClipboardMonitor::detectTags(text).contains(Tag::json), json) << text;
}

// Classification runs on whatever the user copies; none of these may crash or stall.
TEST(ContentDetectionTest, SurvivesHugeAndDeeplyNestedTexts) {
    const std::size_t depth = 5'000'000;
    EXPECT_EQ(tagsOf(repeated("[", depth)), "");
    EXPECT_EQ(tagsOf(repeated("[", depth) + repeated("]", depth)), "");  // too deep for JSON
    EXPECT_EQ(tagsOf(repeated("{", depth)), "");
    EXPECT_EQ(tagsOf(repeated(">", depth)), "markdown");
    EXPECT_EQ(tagsOf(repeated("- ", depth / 2) + "x"), "markdown");

    // Constructs that make Markdown parsers and regular expressions slow when repeated; a table
    // header of thousands of columns over thousands of one-cell rows, each of which the parser
    // fills up to the header's width. 64 times the repeats take about 64 times as long (up to 3
    // times that again once the large text leaves the caches), far below the 4096 times of work
    // that grows with the square.
    std::vector<std::function<std::string(std::size_t)>> hostile;
    for (const char* piece :
         {"*_", "[![", "<a ", "%4", "`", "~~", "| ", "> - ", "[a](", "<!--", "&#", "<", "<tab"})
        hostile.push_back(
            [piece](std::size_t scale) { return repeated(piece, 1'000'000 / scale); });
    const auto table = [](std::size_t columns, std::size_t rows) {
        return "|" + repeated("a|", columns) + "\n|" + repeated("-|", columns) + "\n" +
               repeated("|x|\n", rows);
    };
    hostile.push_back([&table](std::size_t scale) { return table(2000, 15000 / scale); });
    for (const auto& text : hostile) {
        const std::string small = text(64);
        const std::string large = text(1);
        const double grew = test_support::growth([&] { ClipboardMonitor::detectTags(small); },
                                                 [&] { ClipboardMonitor::detectTags(large); }, 3);
        EXPECT_LT(grew, 64 * 8) << large.substr(0, 8);
    }
    EXPECT_TRUE(hasMarkdownBlockStructure(table(100, 200)));

    // About 100 MB of ordinary lines under a heading.
    EXPECT_EQ(tagsOf("# Heading\n" +
                     repeated("The quick brown fox %2 jumps <no tag> over {the} [lazy] dog\n",
                              1'700'000)),
              "markdown");
}

}  // namespace
}  // namespace pindrake::clipboard
