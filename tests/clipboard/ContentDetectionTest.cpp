#include <gtest/gtest.h>
#include <unicode/regex.h>

#include <chrono>
#include <string>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/MarkdownDetection.h"
#include "foundation/Unicode.h"

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
        {"eyIhbGciOi.eyJzdWIi.c2lnbmF0dXJl", {}},
        {"EYJhbGciOi.eyJzdWIi.c2lnbmF0dXJl", {}},
        {"abc.def.ghi", {}},
        // Colour codes (held to their pattern below), and a heading that looks like one.
        {"# Title", {Tag::markdown}},
        {"rgb(1, 2, 3)", {Tag::colorCode}},
        {"HSL(120, 50%, 50%)", {Tag::colorCode}},
        {"rgba(1, 2, 3, 0.5)", {}},
        // Web addresses and percent escapes.
        {"https://example.com/a%20b%2Fc", {Tag::url, Tag::urlEncoded}},
        {"http://localhost:8080/x?y=1#z", {Tag::url}},
        {"https://exa mple.com", {}},
        {"https:///nohost", {}},
        {"ftp://example.com", {}},
        // HTML (held to its pattern below) is also a top-level Markdown block.
        {"<div class=\"x\">x</div>", {Tag::html, Tag::markdown}},
        // Markdown: a top-level block other than a paragraph.
        {"**bold** and `code`", {}},
        {"- item", {Tag::markdown}},
        {"[ref]: http://example.com", {}},  // a link definition is no block
        {"    indented code", {}},          // trimmed first: a paragraph
        {"text\n\n    indented code", {Tag::markdown}},
        {"| a | b |\n|---|---|\n| 1 | 2 |", {Tag::markdown}},
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

// How often ICU's engine finds the pattern in the text: the reference the matchers are held to.
int regexMatches(const char16_t* pattern, std::uint32_t flags, const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString subject = icu::UnicodeString::fromUTF8(text);
    icu::RegexMatcher matcher(icu::UnicodeString(pattern), subject, flags, status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    int found = 0;
    while (U_SUCCESS(status) && matcher.find())
        ++found;
    return found;
}

// The tests stated as regular expressions are written out by hand. Each row must get the
// expected answer from the classification, and the expected answer must be what the regular
// expression itself gives, so neither the code nor the table can drift from the pattern.
TEST(ContentDetectionTest, HandWrittenMatchersAnswerExactlyAsTheirPatterns) {
    struct Pattern {
        Tag tag;
        const char16_t* regex;
        std::uint32_t flags;
        int minimumMatches;
        std::vector<std::pair<std::string, bool>> rows;
    };
    const std::vector<Pattern> patterns = {
        {Tag::urlEncoded,
         u"%[0-9A-Fa-f]{2}",
         0,
         2,
         {{"a%2fb%2Fc", true},
          {"%41", false},
          {"%4%41", false},
          {"%%41%42", true},
          {"%41%4g%42", true},
          {"%zz%41", false},
          {"%41%", false},
          {"100%AB%CD", true},
          {"%\uFF41\uFF42%41", false}}},
        {Tag::html,
         u"<(html|head|body|div|span|p|a|img|table|tr|td|th|ul|ol|li|h[1-6]|br|hr|b|i|em|strong|"
         u"pre|code|form|input|button|script|style|link|meta)[\\s>/]",
         UREGEX_CASE_INSENSITIVE,
         1,
         {{"<div>", true},       {"<DiV class=x>", true},
          {"</div>", false},     {"<divx>", false},
          {"a <div", false},     {"<div\ny", true},
          {"<b\u0085x", true},   // next line
          {"<p\u200Bx", false},  // a zero-width space is no white space
          {"<h1>", true},        {"<H6/>", true},
          {"<h7>", false},       {"<h1x>", false},
          {"<h>", false},        {"<\u017Fpan>", true},  // long s folds to s
          {"<lin\u212A>", true},                         // Kelvin sign folds to k
          {"<\uFB06yle>", true},                         // the st ligature folds to st
          {"<\u0130mg>", false},  // capital I with dot folds to i and a combining dot
          {"<\u0131>", false},    // dotless i
          {"<<b>", true},        {"< b>", false},
          {"<abbr>", false},     {"x<a href=y>", true},
          {"<<<", false}}},
        {Tag::colorCode,
         u"^#[0-9A-Fa-f]{6}$|^#[0-9A-Fa-f]{3}$",
         0,
         1,
         {{"#fff", true},
          {"#A1b2C3", true},
          {"#abcd", false},
          {"#abcdeg", false},
          {"#ggg", false},
          {"##fff", false},
          {"#fff0000", false},
          {"# fff", false},
          {"#\uFF11\uFF12\uFF13", false},
          {"#abc\n#def", false}}},
    };
    for (const auto& pattern : patterns) {
        for (const auto& [text, expected] : pattern.rows) {
            const std::string trimmed = unicode::trimmed(text);
            EXPECT_EQ(regexMatches(pattern.regex, pattern.flags, trimmed) >= pattern.minimumMatches,
                      expected)
                << "the table is wrong for " << text;
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

    // A table header of thousands of columns over thousands of one-cell rows, each of which the
    // parser fills up to the header's width; and a table of a hundred columns, which is read.
    const auto table = [](int columns, int rows) {
        std::string header = "|";
        std::string delimiter = "|";
        for (int i = 0; i < columns; ++i) {
            header += "a|";
            delimiter += "-|";
        }
        std::string text = header + "\n" + delimiter + "\n";
        for (int i = 0; i < rows; ++i)
            text += "|x|\n";
        return text;
    };
    const auto started = std::chrono::steady_clock::now();
    ClipboardMonitor::detectTags(table(2000, 15000));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(hasMarkdownBlockStructure(table(100, 200)));

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
