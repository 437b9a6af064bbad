#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/MarkdownDetection.h"

namespace pindrake::clipboard {
namespace {

using Tag = ContentTag;

struct Case {
    std::string text;
    ContentTags expected;
};

std::string describe(const ContentTags& tags) {
    std::string out = "{";
    for (Tag tag : tags)
        out += std::string(rawValue(tag)) + " ";
    return out + "}";
}

TEST(ContentDetectionTest, ClassifiesTexts) {
    const std::vector<Case> cases = {
        // Unix time: 10 digits for seconds, 13 for milliseconds, 2000 to 2100 inclusive.
        {"1700000000", {Tag::unixTime}},
        {"17000000000", {}},
        {"170000000", {}},
        {"1710000000000", {Tag::unixTime}},
        {"0946684799", {}},
        {"0946684800", {Tag::unixTime}},
        {"4102444800", {Tag::unixTime}},
        {"4102444801", {}},
        {"١٧٠٠٠٠٠٠٠٠", {}},  // Arabic-Indic digits are numeric but no number
        {"123456789012", {Tag::base64}},
        // JSON: an object or an array at the top.
        {"[1, 2]", {Tag::json}},
        {"  [1,2]  \n", {Tag::json}},
        {"{\"a\": {\"b\": [true, null]}}", {Tag::json}},
        {"{word}", {}},
        {"42", {}},
        {"[1, 2] and more", {}},
        // JWT: "eyJ" and three dot-separated pieces; empty pieces do not count.
        {"eyJhbGciOi.eyJzdWIi.c2lnbmF0dXJl", {Tag::jwt}},
        {"eyJhbGciOi.eyJzdWIi.c2lnbmF0dXJl.more", {}},
        {"eyJhbGciOi..eyJzdWIi.c2lnbmF0dXJl", {Tag::jwt}},
        // Colour codes, and a heading that looks like one.
        {"#fff", {Tag::colorCode}},
        {"#A1b2C3", {Tag::colorCode}},
        {"#abcd", {}},
        {"# Title", {Tag::markdown}},
        {"rgb(1, 2, 3)", {Tag::colorCode}},
        {"HSL(120, 50%, 50%)", {Tag::colorCode}},
        {"rgba(1, 2, 3, 0.5)", {}},
        // Web addresses and percent escapes.
        {"https://example.com/a%20b%2Fc", {Tag::url, Tag::urlEncoded}},
        {"https://example.com/a%20b", {Tag::url}},
        {"http://localhost:8080/x?y=1#z", {Tag::url}},
        {"https://exa mple.com", {}},
        {"https:///nohost", {}},
        {"ftp://example.com", {}},
        {"a%41b%zz", {}},
        // HTML: an opening tag of a listed name.
        {"<B>bold</B> text", {Tag::html}},
        {"<div class=\"x\">x</div>", {Tag::html, Tag::markdown}},
        {"text </div>", {}},
        {"text <divx> y", {}},
        {"see <br/> here", {Tag::html}},
        {"a <p\u00A0class=x> b", {Tag::html}},  // any Unicode space separator ends the name
        {"a <b\vx> b", {}},                     // a vertical tab does not
        {"x <TaBlE>", {Tag::html}},
        // Markdown: a top-level block other than a paragraph.
        {"**bold** and `code`", {}},
        {"- item", {Tag::markdown}},
        {"> quoted", {Tag::markdown}},
        {"```\ncode\n```", {Tag::markdown}},
        {"    indented code", {}},  // trimmed first: a paragraph
        {"text\n\n    indented code", {Tag::markdown}},
        {"a\n\n---", {Tag::markdown}},
        {"| a | b |\n|---|---|\n| 1 | 2 |", {Tag::markdown}},
        {"~~struck~~ text", {}},
        {"- [x] done", {Tag::markdown}},
        // Full-width forms; the ideographic space does not count.
        {"ＡＢＣ", {Tag::fullWidth}},
        {"ｶﾀｶﾅ", {Tag::fullWidth}},
        {"a\u3000b", {}},
        // Base64 ignores line feeds but not other white space.
        {"SGVsbG8s\nV29ybGQ=", {Tag::base64}},
        {"SGVsbG8s V29ybGQ=", {}},
        {"SGVsbG8=V29y", {}},
        {"QQ==", {}},
        // Blank text passes nothing.
        {" \n\t ", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(ClipboardMonitor::detectTags(c.text)), describe(c.expected))
            << "text: " << c.text;
    }
}

TEST(ContentDetectionTest, MarkdownDetectionLooksAtTopLevelBlocksOnly) {
    EXPECT_FALSE(hasMarkdownBlockStructure(""));
    EXPECT_FALSE(hasMarkdownBlockStructure("one\ntwo\n\nthree [link](http://x) *em*"));
    EXPECT_FALSE(hasMarkdownBlockStructure("[ref]: http://example.com"));
    EXPECT_TRUE(hasMarkdownBlockStructure("para\n\n1. first\n2. second"));
    EXPECT_TRUE(hasMarkdownBlockStructure("Title\n====="));
    EXPECT_TRUE(hasMarkdownBlockStructure("<!-- comment -->"));
}

// Classification runs on whatever the user copies; none of these may crash or stall.
TEST(ContentDetectionTest, SurvivesHugeAndDeeplyNestedTexts) {
    const std::size_t depth = 5'000'000;
    EXPECT_EQ(ClipboardMonitor::detectTags(std::string(depth, '[')), ContentTags{});
    EXPECT_EQ(ClipboardMonitor::detectTags(std::string(depth, '[') + std::string(depth, ']')),
              ContentTags{Tag::json});
    EXPECT_EQ(ClipboardMonitor::detectTags(std::string(depth, '{')), ContentTags{});
    EXPECT_TRUE(ClipboardMonitor::detectTags(std::string(depth, '>')).contains(Tag::markdown));

    std::string lists;
    for (std::size_t i = 0; i < depth / 2; ++i)
        lists += "- ";
    EXPECT_TRUE(ClipboardMonitor::detectTags(lists + "x").contains(Tag::markdown));

    // Constructs that make Markdown parsers and regular expressions slow when repeated.
    for (const std::string piece :
         {"*_", "[![", "<a ", "%4", "`", "~~", "| ", "> - ", "[a](", "<!--", "&#", "<", "<tab"}) {
        std::string hostile;
        for (int i = 0; i < 1'000'000; ++i)
            hostile += piece;
        const auto started = std::chrono::steady_clock::now();
        ClipboardMonitor::detectTags(hostile);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << piece;
    }

    // About 100 MB of ordinary lines under a heading.
    const std::string line = "The quick brown fox %2 jumps <no tag> over {the} [lazy] dog\n";
    std::string huge = "# Heading\n";
    huge.reserve(100'000'000 + line.size());
    while (huge.size() < 100'000'000)
        huge += line;
    EXPECT_EQ(ClipboardMonitor::detectTags(huge), ContentTags{Tag::markdown});
}

}  // namespace
}  // namespace pindrake::clipboard
