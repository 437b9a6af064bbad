#include <gtest/gtest.h>

#include "FormatterFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::expectFormats;
using testing::LineLimit;
using testing::Options;
using testing::paragraph;
using testing::withLineLimit;

Options withPrefix(std::string prefix) {
    Options options;
    options.customLinePrefix = std::move(prefix);
    return options;
}

Paragraph words(std::string a, std::string b) {
    return Paragraph{Text(std::move(a)), SoftBreak(), Text(std::move(b))};
}

TEST(MarkupFormatterEngineTest, LineBreaksAndPrefixes) {
    expectFormats({
        {"two paragraphs, no final line break",
         Document{paragraph("a"), paragraph("b")},
         {},
         "a\n\nb"},
        {"quote with two paragraphs",
         Document{BlockQuote{paragraph("a"), paragraph("b")}},
         {},
         "> a\n> \n> b"},
        {"custom prefix on every line, blank ones too",
         Document{paragraph("a"), BlockQuote{paragraph("b")}}, withPrefix("// "),
         "// a\n// \n// > b"},
        {"the break left after raw HTML counts",
         Document{HTMLBlock("<div>\n"), paragraph("x")},
         {},
         "<div>\n\nx"},
        {"quote after a paragraph: separator without the quote's marker",
         Document{paragraph("a"), BlockQuote{paragraph("b")}},
         {},
         "a\n\n> b"},
        {"nested quote after a paragraph: separated",
         Document{BlockQuote{paragraph("a"), BlockQuote{paragraph("b")}}},
         {},
         "> a\n> \n> > b"},
        {"nested quotes side by side stay apart",
         Document{BlockQuote{BlockQuote{paragraph("a")}, BlockQuote{paragraph("b")}}},
         {},
         "\n> > a\n> \n> > b"},
        {"soft break continues with the prefix",
         Document{BlockQuote{words("a", "b")}},
         {},
         "> a\n> b"},
    });
}

TEST(MarkupFormatterEngineTest, ListIndentation) {
    Options incrementing;
    incrementing.orderedListNumerals = Options::OrderedListNumerals::incrementing(8);
    auto item = [] { return ListItem{words("a", "b")}; };
    expectFormats({
        {"marker width decides the continuation indent",
         Document{OrderedList{item(), item(), item()}}, incrementing,
         "8. a\n   b\n9. a\n   b\n10. a\n    b"},
        {"nested list after the item's paragraph: no blank line",
         Document{UnorderedList{ListItem{paragraph("a"), UnorderedList{ListItem{paragraph("b")}}}}},
         {},
         "- a\n  - b"},
        {"top-level list after a paragraph: blank line",
         Document{paragraph("p"), UnorderedList{ListItem{paragraph("a")}}},
         {},
         "p\n\n- a"},
        {"ordered list in an ordered item: indented by the item's marker",
         Document{OrderedList{ListItem{paragraph("a"), OrderedList{ListItem{words("b", "c")}}}}},
         incrementing, "8. a\n   8. b\n      c"},
        {"quote after the item's paragraph stays in the item",
         Document{UnorderedList{ListItem{paragraph("a"), BlockQuote{words("q", "r")}}}},
         {},
         "- a\n\n  > q\n  > r"},
        {"quote opening an item keeps its marker",
         Document{UnorderedList{ListItem{BlockQuote{words("q", "r")}}}},
         {},
         "- > q\n  > r"},
    });
}

TEST(MarkupFormatterEngineTest, WrapsAtTheLineLimit) {
    const auto hard = LineLimit::SplittingElement::hardBreak;
    expectFormats({
        {"limit 10, soft", Document{paragraph("aaa bbb ccc ddd")}, withLineLimit(10),
         "aaa bbb\nccc ddd"},
        {"limit 10, hard", Document{paragraph("aaa bbb ccc ddd")}, withLineLimit(10, hard),
         "aaa bbb  \nccc ddd"},
        {"a line never reaches the limit", Document{paragraph("aaa bbb ccc")}, withLineLimit(11),
         "aaa bbb\nccc"},
        {"tab and double space under a limit", Document{paragraph("a\tb  c")}, withLineLimit(80),
         "a b  c"},
        {"tab kept without a limit", Document{paragraph("a\tb  c")}, {}, "a\tb  c"},
        {"soft breaks become spaces first", Document{words("aaa", "bbb")}, withLineLimit(80),
         "aaa bbb"},
        {"headings are never wrapped", Document{Heading(2, {Text("aaa bbb ccc ddd")})},
         withLineLimit(5), "## aaa bbb ccc ddd"},
        {"a lone soft break", SoftBreak(), withLineLimit(10), ""},
        {"wrapped lines keep the quote's prefix", Document{BlockQuote{paragraph("aaa bbb ccc")}},
         withLineLimit(10), "> aaa bbb\n> ccc"},
        {"no break inside a delimiter run",
         Document{Paragraph{Text("aaa "), Strong{Text("bbbbbbbbbb")}, Text("ccc ddd")}},
         withLineLimit(10), "aaa **bbbbbbbbbb**ccc\nddd"},
        {"a unit moves only after a space",
         Document{Paragraph{Text("see "), Link("u", {Text("a link")}), Text(", ok")}},
         withLineLimit(10), "see\n[a link](u),\nok"},
        {"a unit that starts a paragraph stays",
         Document{Paragraph{Link("u", {Text("a long link")}), Text(" x")}}, withLineLimit(10),
         "[a long\nlink](u)\nx"},
        {"the rollback keeps what came before a combining mark",
         Document{Paragraph{Text("see "), Link("u", {Text("\u0301long words here")})}},
         withLineLimit(10), "see\n[\u0301long\nwords\nhere](u)"},
    });
}

TEST(MarkupFormatterEngineTest, NothingMovesWithoutALineLimit) {
    const Document tree{Paragraph{Text("see "), Link("u", {Text("a"), SoftBreak(), Text("b")})}};
    EXPECT_EQ(format(tree), "see [a\nb](u)");
}

TEST(MarkupFormatterEngineTest, AnInnerElementCarriesItsAncestorsPrefixes) {
    const Document tree{BlockQuote{paragraph("a"), paragraph("b")}};
    EXPECT_EQ(format(*tree.childThrough({0, 1})), "\n> \n> b");
}

TEST(MarkupFormatterEngineTest, DeepNestingNeedsNoDeepStack) {
    constexpr int depth = 100000;
    UnorderedList list{ListItem{paragraph("a")}};
    for (int i = 1; i < depth; ++i) {
        list = UnorderedList{ListItem{list}};
    }
    std::string expected;
    for (int i = 0; i < depth; ++i) {
        expected += "- ";
    }
    EXPECT_EQ(format(Document{list}), expected + "a");
}

TEST(MarkupFormatterEngineTest, TrimmedLinesDropOnlyOuterEmptyLines) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(MarkupFormatter::trimmedLines("\n\nx\n\n y\n\n"), (Lines{"x", "", " y"}));
    EXPECT_EQ(MarkupFormatter::trimmedLines("\n\n"), Lines{});
}

TEST(MarkupFormatterEngineDeathTest, LineLimitMustBePositive) {
    EXPECT_DEATH(LineLimit(0, LineLimit::SplittingElement::softBreak), "greater than 0");
    LineLimit limit(1, LineLimit::SplittingElement::softBreak);
    EXPECT_DEATH(limit.setMaxLength(-3), "greater than 0");
    limit.setMaxLength(4);
    EXPECT_EQ(limit.maxLength(), 4);
}

TEST(MarkupFormatterEngineDeathTest, CustomElementsHaveNoMarkdownForm) {
    EXPECT_DEATH(format(Document{CustomBlock{}}), "Formatter not implemented for CustomBlock");
}

}  // namespace
}  // namespace pindrake::markdown
