#include <gtest/gtest.h>

#include "FormatterFixtures.h"
#include "markdown/format/SoftBreakDeleter.h"

namespace pindrake::markdown {
namespace {

using testing::expectFormats;
using testing::LineLimit;
using testing::Options;
using testing::paragraph;
using testing::withLineLimit;

// A quote holding the given one (braces alone would copy it).
BlockQuote quoted(const BlockQuote& inner) {
    return BlockQuote{BlockMarkup(inner)};
}

Paragraph words(std::string a, std::string b) {
    return Paragraph{Text(std::move(a)), SoftBreak(), Text(std::move(b))};
}

TEST(MarkupFormatterEngineTest, LineBreaksAndPrefixes) {
    Options slashes;
    slashes.customLinePrefix = "// ";
    expectFormats({
        {"two paragraphs, no final line break", Document{paragraph("a"), paragraph("b")}, "a\n\nb"},
        {"quote with two paragraphs", Document{BlockQuote{paragraph("a"), paragraph("b")}},
         "> a\n> \n> b"},
        {"custom prefix on every line, blank ones too",
         Document{paragraph("a"), BlockQuote{paragraph("b")}}, "// a\n// \n// > b", slashes},
        {"the break left after raw HTML counts", Document{HTMLBlock("<div>\n"), paragraph("x")},
         "<div>\n\nx"},
        {"quote after a paragraph: separator without the quote's marker",
         Document{paragraph("a"), BlockQuote{paragraph("b")}}, "a\n\n> b"},
        {"nested quote after a paragraph: separated",
         Document{BlockQuote{paragraph("a"), BlockQuote{paragraph("b")}}}, "> a\n> \n> > b"},
        {"nested quotes side by side stay apart",
         Document{BlockQuote{BlockQuote{paragraph("a")}, BlockQuote{paragraph("b")}}},
         "> > a\n> \n> > b"},
        {"soft break continues with the prefix", Document{BlockQuote{words("a", "b")}}, "> a\n> b"},
    });
    // An inner element is written with what its ancestors put before it.
    const Document tree{BlockQuote{paragraph("a"), paragraph("b")}};
    EXPECT_EQ(format(*tree.childThrough({0, 1})), "\n> \n> b");
}

TEST(MarkupFormatterEngineTest, ListIndentation) {
    Options fromEight;
    fromEight.orderedListNumerals = Options::OrderedListNumerals::incrementing(8);
    auto item = [] { return ListItem{words("a", "b")}; };
    expectFormats({
        {"marker width decides the continuation indent",
         Document{OrderedList{item(), item(), item()}}, "8. a\n   b\n9. a\n   b\n10. a\n    b",
         fromEight},
        {"nested list after the item's paragraph: no blank line",
         Document{UnorderedList{ListItem{paragraph("a"), UnorderedList{ListItem{paragraph("b")}}}}},
         "- a\n  - b"},
        {"top-level list after a paragraph: blank line",
         Document{paragraph("p"), UnorderedList{ListItem{paragraph("a")}}}, "p\n\n- a"},
        // A list numbered from other than 1 would continue the paragraph: a blank line.
        {"ordered list in an ordered item: indented by the item's marker",
         Document{OrderedList{ListItem{paragraph("a"), OrderedList{ListItem{words("b", "c")}}}}},
         "8. a\n   \n   8. b\n      c", fromEight},
        // Each ancestor adds the indentation owed to its parent, then its own "> ".
        {"quote after the item's paragraph stays in the item",
         Document{UnorderedList{ListItem{paragraph("a"), BlockQuote{words("q", "r")}}}},
         "- a\n\n  > q\n  > r"},
        {"quote opening an item keeps its marker",
         Document{UnorderedList{ListItem{BlockQuote{words("q", "r")}}}}, "- > q\n  > r"},
    });
}

TEST(MarkupFormatterEngineTest, WrapsAtTheLineLimit) {
    const auto hard = LineLimit::SplittingElement::hardBreak;
    expectFormats({
        {"limit 10, soft", paragraph("aaa bbb ccc ddd"), "aaa bbb\nccc ddd", withLineLimit(10)},
        {"limit 10, hard", paragraph("aaa bbb ccc ddd"), "aaa bbb  \nccc ddd",
         withLineLimit(10, hard)},
        {"a line never reaches the limit", paragraph("aaa bbb ccc"), "aaa bbb\nccc",
         withLineLimit(11)},
        {"tab and double space under a limit", paragraph("a\tb  c"), "a b  c", withLineLimit(80)},
        {"tab kept without a limit", paragraph("a\tb  c"), "a\tb  c"},
        {"soft breaks become spaces first", words("aaa", "bbb"), "aaa bbb", withLineLimit(80)},
        {"headings are never wrapped", Heading(2, {Text("aaa bbb ccc ddd")}), "## aaa bbb ccc ddd",
         withLineLimit(5)},
        {"a lone soft break", SoftBreak(), "", withLineLimit(10)},
        {"wrapped lines keep the quote's prefix", Document{BlockQuote{paragraph("aaa bbb ccc")}},
         "> aaa bbb\n> ccc", withLineLimit(10)},
        // Breaks and moved units only where the output ends in a space or at a line start.
        {"no break inside a delimiter run",
         Paragraph{Text("aaa "), Strong{Text("bbbbbbbbbb")}, Text("ccc ddd")},
         "aaa **bbbbbbbbbb**ccc\nddd", withLineLimit(10)},
        {"a unit moves only after a space",
         Paragraph{Text("see "), Link("u", {Text("a link")}), Text(", ok")},
         "see\n[a link](u),\nok", withLineLimit(10)},
        {"a unit that starts a paragraph stays",
         Paragraph{Link("u", {Text("a long link")}), Text(" x")}, "[a long\nlink](u)\nx",
         withLineLimit(10)},
        // Restoring the state truncates to the saved bytes, not a count of graphemes.
        {"the rollback keeps what came before a combining mark",
         Paragraph{Text("see "), Link("u", {Text("\u0301long words here")})},
         "see\n[\u0301long\nwords\nhere](u)", withLineLimit(10)},
        {"nothing moves without a limit",
         Paragraph{Text("see "), Link("u", {Text("a"), SoftBreak(), Text("b")})}, "see [a\nb](u)"},
    });
    EXPECT_DEATH(LineLimit(0, LineLimit::SplittingElement::softBreak), "greater than 0");
    LineLimit limit(1, LineLimit::SplittingElement::softBreak);
    limit.setMaxLength(4);
    EXPECT_EQ(limit.maxLength(), 4);
    EXPECT_DEATH(limit.setMaxLength(-3), "greater than 0");
}

// A line never starts with a word that would open a block there, and never ends where its end
// would change what it reads as; the word stays on the longer line instead.
TEST(MarkupFormatterEngineTest, LinesNeverOpenABlockOrEndInABreak) {
    const auto hard = LineLimit::SplittingElement::hardBreak;
    for (std::string word : {"-", "+", "*", "1.", "1)", ">", ">b", "#", "##", "=", "---", "```",
                             "<div>", "|", ":-:", "@note", "\\returns"}) {
        EXPECT_EQ(format(paragraph("aaaaaaaa " + word + " bbbb"), withLineLimit(10)),
                  "aaaaaaaa " + word + "\nbbbb")
            << word;
    }
    expectFormats({
        {"a plain word moves", paragraph("aaaaaaaa bb"), "aaaaaaaa\nbb", withLineLimit(10)},
        {"inside link text", Paragraph{Link("u", {Text("aaaaaaa - bbbb")})}, "[aaaaaaa -\nbbbb](u)",
         withLineLimit(10)},
        {"inside inline code", Paragraph{InlineCode("aaaaaaa - bbbb")}, "`aaaaaaa -\nbbbb`",
         withLineLimit(10)},
        {"a dash after a link", Paragraph{Link("u", {Text("link")}), Text(" - description")},
         "[link](u) -\ndescription", withLineLimit(10)},
        {"a dash before a link", Paragraph{Text("aaaaaaaa - "), Link("u", {Text("b")})},
         "aaaaaaaa -\n[b](u)", withLineLimit(10)},
        // Cut short, a line that starts like a block may read as one.
        {"a line starting with rule characters", paragraph("_ _ _ _ a b"), "_ _ _ _ a b",
         withLineLimit(1)},
        {"a line starting with an HTML tag", Paragraph{InlineHTML("<img src=a>"), Text(" b c")},
         "<img src=a> b c", withLineLimit(1)},
        {"a line ending in a checkbox", paragraph("aaaa [x] bbbb"), "aaaa [x] bbbb",
         withLineLimit(9)},
        {"a line ending in a checked box, upper case", paragraph("aaaa [X] bbbb"), "aaaa [X] bbbb",
         withLineLimit(9)},
        {"no line ends in a backslash", paragraph("aaaaa\\ bbbb"), "aaaaa\\ bbbb",
         withLineLimit(8)},
        {"no first word moves after a backslash", Paragraph{Text("aaaaa\\ "), Text("bbbb")},
         "aaaaa\\ bbbb", withLineLimit(8)},
        // Joined, "[x]" and the next line would read back as a task item.
        {"a paragraph starting with a bracket keeps its soft breaks",
         Document{UnorderedList{ListItem{words("[x]", "b")}}}, "- [x]\n  b", withLineLimit(80)},
        {"a paragraph that may hold a link definition keeps its lines",
         paragraph("[foo]: /url 'title"), "[foo]: /url 'title", withLineLimit(10)},
        {"code between three backticks stays on its line",
         Paragraph{Text("see "), InlineCode("a b c d ``")}, "see ``` a b c d `` ```",
         withLineLimit(10)},
        // A run of spaces is text: it stays on its line, and no line starts with a space.
        {"two spaces where the line is full", paragraph("aaaaaaaaa  bbbbbbbbbb"),
         "aaaaaaaaa  bbbbbbbbbb", withLineLimit(10)},
        {"two spaces before a short word", paragraph("aaaaaaaaa  b"), "aaaaaaaaa  b",
         withLineLimit(10)},
        {"a run between hard breaks", paragraph("aaaa bbbb  cccc dddd"),
         "aaaa  \nbbbb  cccc  \ndddd", withLineLimit(10, hard)},
        // In code a tab is code: it is kept, and no line ends in its place.
        {"code keeps its tabs", Paragraph{InlineCode("aaaa\tbbbb cccc")}, "`aaaa\tbbbb\ncccc`",
         withLineLimit(10)},
        // The two spaces of a hard break would become part of the code.
        {"code lines end in soft breaks", Paragraph{InlineCode("aaaa bbbb cccc")},
         "`aaaa\nbbbb\ncccc`", withLineLimit(10, hard)},
        {"text after code ends in hard breaks",
         Paragraph{InlineCode("aaaa bbbb"), Text(" cc dd ee")}, "`aaaa\nbbbb`  \ncc dd  \nee",
         withLineLimit(10, hard)},
    });
    // An element taken from inside a heading is not wrapped either.
    const Heading heading(2, {Text("aaa bbb ccc ddd")});
    EXPECT_EQ(format(*heading.child(0), withLineLimit(5)), "aaa bbb ccc ddd");
}

// A quote that opens a quote or a list item starts on the line its parent started; the output
// grows with the depth, not with its square.
TEST(MarkupFormatterEngineTest, NestedQuotesShareTheirFirstLine) {
    expectFormats({
        {"three quotes", Document{quoted(quoted(BlockQuote{paragraph("a")}))}, "> > > a"},
        {"after a paragraph", Document{paragraph("p"), quoted(BlockQuote{words("a", "b")})},
         "p\n\n> > a\n> > b"},
        {"in a list item", Document{UnorderedList{ListItem{quoted(BlockQuote{words("q", "r")})}}},
         "- > > q\n  > > r"},
    });
    constexpr int depth = 10000;
    BlockQuote quote{paragraph("a")};
    for (int i = 1; i < depth; ++i)
        quote = quoted(quote);
    std::string expected;
    for (int i = 0; i < depth; ++i)
        expected += "> ";
    const std::string written = format(Document{quote});
    EXPECT_EQ(written.size(), expected.size() + 1);
    EXPECT_TRUE(written == expected + "a");
}

TEST(MarkupFormatterEngineTest, DeepNestingNeedsNoDeepStack) {
    constexpr int depth = 100000;
    UnorderedList list{ListItem{paragraph("a")}};
    for (int i = 1; i < depth; ++i)
        list = UnorderedList{ListItem{list}};
    std::string expected;
    for (int i = 0; i < depth; ++i)
        expected += "- ";
    EXPECT_EQ(format(Document{list}), expected + "a");
}

// Soft breaks become spaces; everything else, a cell's spans too, stays as it was.
TEST(SoftBreakDeleterTest, SoftBreaksBecomeSpacesAndNothingElseChanges) {
    const Document input{
        Paragraph{Text("a"), SoftBreak(), Emphasis{Text("b"), SoftBreak(), Text("c")}},
        Paragraph{Text("d"), LineBreak(), Text("e")}};
    const Document expected{
        Paragraph{Text("a"), Text(" "), Emphasis{Text("b"), Text(" "), Text("c")}},
        Paragraph{Text("d"), LineBreak(), Text("e")}};
    SoftBreakDeleter deleter;
    const auto rewritten = deleter.visit(input);
    ASSERT_TRUE(rewritten && rewritten->is<Document>());
    EXPECT_TRUE(rewritten->hasSameStructure(expected));

    const auto lone = deleter.visit(SoftBreak());
    ASSERT_TRUE(lone && lone->is<Text>());
    EXPECT_EQ(lone->as<Text>()->string(), " ");
    EXPECT_FALSE(lone->parent());

    const auto cell =
        TableCellBreakDeleter().visit(Table::Cell(2, 3, {Text("a"), SoftBreak(), Text("b")}));
    ASSERT_TRUE(cell);
    EXPECT_TRUE(cell->hasSameStructure(Table::Cell(2, 3, {Text("a"), Text(" "), Text("b")})));
}

}  // namespace
}  // namespace pindrake::markdown
