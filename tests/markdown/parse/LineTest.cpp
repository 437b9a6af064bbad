#include <gtest/gtest.h>

#include <string>

#include "markdown/parse/CommonMarkConverter.h"
#include "markdown/parse/RangeAdjuster.h"
#include "markdown/parse/TrimmedLine.h"

namespace pindrake::markdown {
namespace {

SourceLocation at(std::int64_t line, std::int64_t column) {
    return {line, column, {}};
}

TEST(LineTest, LinesAreCutAtEveryLineBreakAsCmarkCutsThem) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {""}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\r\r\nb\n\rc\r", {"a", "", "b", "", "c", ""}},
    };
    for (const Case& c : cases) {
        const std::vector<TrimmedLine> lines = splitLines(c.text, {});
        ASSERT_EQ(lines.size(), c.lines.size()) << c.text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].untrimmedText(), c.lines[i]) << c.text;
            EXPECT_EQ(lines[i].lineNumber(), static_cast<std::int64_t>(i + 1));
        }
    }
}

TEST(LineTest, LexingTakesCharactersAndReportsByteColumns) {
    TrimmedLine accent("\xC3\xA9x", 1, {});
    accent.lex(1);
    EXPECT_EQ(accent.location(), at(1, 3));
    // A letter with a combining mark is one character.
    TrimmedLine combined("e\xCC\x81z", 1, {});
    EXPECT_EQ(combined.lex(1)->text, "e\xCC\x81");

    TrimmedLine abc("abc", 1, {});
    EXPECT_EQ(abc.lex(10)->range, SourceRange(at(1, 1), at(1, 4)));
    EXPECT_FALSE(abc.lex(10));
    const auto empty = abc.lex(0, true);
    ASSERT_TRUE(empty && empty->range);
    EXPECT_EQ(empty->range->start(), empty->range->end());
    TrimmedLine unnumbered("abc", std::nullopt, {});
    EXPECT_FALSE(unnumbered.lex(0, true)->range);

    TrimmedLine blanks("\t   x", 1, {});
    EXPECT_EQ(blanks.lexWhitespace(2)->text, "\t ");
    TrimmedLine comma("abc,d", 1, {});
    EXPECT_EQ(comma.lexUntil(',')->text, "abc");
    EXPECT_FALSE(comma.lexUntil(','));
    EXPECT_TRUE(comma.restStartsWith(','));
    // A comma carrying a combining mark is not a comma.
    TrimmedLine marked(",\xCC\x81", 1, {});
    EXPECT_FALSE(marked.restStartsWith(','));
}

TEST(LineTest, IndentationWidthAndFences) {
    struct Case {
        const char* text;
        std::int64_t width;
        bool fence;
    };
    const Case cases[] = {
        {"  \tx", 4, false},          {"\t\tx", 8, false}, {"    x", 4, false}, {"x  ", 0, false},
        {"   \t\t```swift", 8, true}, {"~~~", 0, true},    {"``", 0, false},    {"~~", 0, false},
    };
    for (const Case& c : cases) {
        const TrimmedLine line(c.text, 1, {});
        EXPECT_EQ(line.equivalentIndentationColumnCount(), c.width) << c.text;
        EXPECT_EQ(line.isCodeFence(), c.fence) << c.text;
    }
}

TEST(LineTest, CoveringWidensBothEnds) {
    SourceRange range(at(2, 5), at(2, 9));
    cover(range, SourceRange(at(1, 7), at(2, 3)));
    EXPECT_EQ(range, SourceRange(at(1, 7), at(2, 9)));
}

TEST(RangeAdjusterTest, ShiftsEachBoundByItsOwnLine) {
    const Url source = Url::fromString("file:///a.md");
    const auto located = [&](std::int64_t line, std::int64_t column) {
        return SourceLocation{line, column, source};
    };
    struct Case {
        std::int64_t startLine;
        std::vector<std::int64_t> trimmed;
        SourceRange range;
        SourceRange shifted;
    };
    const Case cases[] = {
        {1, {0, 0}, {located(1, 1), located(2, 3)}, {located(1, 1), located(2, 3)}},
        {5, {4, 4}, {located(1, 1), located(1, 3)}, {located(5, 5), located(5, 7)}},
        {1, {2, 6}, {located(1, 1), located(2, 1)}, {located(1, 3), located(2, 7)}},
        // a line the splitter did not see (cut by cmark at a carriage return) is untrimmed
        {3, {2}, {located(1, 1), located(2, 4)}, {located(3, 3), located(4, 4)}},
    };
    for (const Case& c : cases) {
        RangeAdjuster adjuster{c.startLine, {SourceRange(located(1, 1), located(1, 1))}, c.trimmed};
        EXPECT_EQ(adjuster.shifted(c.range), c.shifted);
    }
}

TEST(RangeAdjusterTest, RewritesFreshNodesOnceAndWidensTheTracker) {
    const RawMarkupPtr run = FreshCmarkRun::parse("a\nb", {}, {});
    ASSERT_EQ(run->childCount(), 1);
    const RawMarkup& paragraph = run->child(0);
    ASSERT_EQ(paragraph.childCount(), 3);
    const RawMarkup& softBreak = paragraph.child(1);
    ASSERT_FALSE(softBreak.hasParsedRange());
    RangeAdjuster adjuster{3, {SourceRange(at(1, 1), at(1, 1))}, {2, 1}};
    adjuster.adjust(paragraph);
    EXPECT_EQ(paragraph.parsedRange(), SourceRange(at(3, 3), at(4, 3)));
    EXPECT_EQ(paragraph.child(0).parsedRange(), SourceRange(at(3, 3), at(3, 4)));
    EXPECT_FALSE(softBreak.hasParsedRange());
    EXPECT_EQ(adjuster.ranges.totalRange, SourceRange(at(1, 1), at(4, 3)));
    // Adjusted nodes are settled, rangeless ones too: a second shift would move them twice.
    EXPECT_DEATH(adjuster.adjust(paragraph), "fresh from the parser");
    EXPECT_DEATH(FreshNodeRange::rewrite(softBreak, std::nullopt), "fresh from the parser");
}

}  // namespace
}  // namespace pindrake::markdown
