#include <gtest/gtest.h>

#include "FormatterFixtures.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

using testing::cell;
using testing::expectFormats;
using testing::Options;
using testing::withLineLimit;
using Alignments = Table::Alignments;
constexpr auto left = ColumnAlignment::left;
constexpr auto center = ColumnAlignment::center;
constexpr auto right = ColumnAlignment::right;

Table table(Alignments alignments, Table::Head head, std::vector<Table::Row> rows) {
    return Table(std::move(alignments), head, Table::Body(rows));
}

TEST(MarkupTableFormatterTest, WritesPaddedPipeTables) {
    Options limitAndPrefix = withLineLimit(5);
    limitAndPrefix.customLinePrefix = "% ";
    expectFormats({
        {"aligned columns",
         table({left, right}, {cell("Name"), cell("Qty")},
               {{cell("apple"), cell("3")}, {cell("kiwi"), cell("12")}}),
         "|Name |Qty|\n|:----|--:|\n|apple|3  |\n|kiwi |12 |"},
        {"centred one-character column", table({center}, {cell("a")}, {{cell("b")}}),
         "|a  |\n|:-:|\n|b  |"},
        {"short row filled", table({}, {cell("a"), cell("b")}, {{cell("c")}}),
         "|a|b|\n|-|-|\n|c| |"},
        {"column span", table({}, {cell("aa"), cell("bb")}, {{cell("x", 2), cell("", 0)}}),
         "|aa|bb|\n|--|--|\n|x   ||"},
        {"row span", table({}, {cell("a")}, {{cell("x", 1, 2)}, {cell("", 1, 0)}}),
         "|a|\n|-|\n|x|\n|^|"},
        {"soft break in a cell becomes a space",
         table({}, {Table::Cell{Text("a"), SoftBreak(), Text("b")}}, {}), "|a b|\n|---|"},
        {"markers inside cells", table({}, {Table::Cell{Emphasis{Text("a")}, InlineCode("c")}}, {}),
         "|*a*`c`|\n|------|"},
        {"graphemes counted as one each",
         table({},
               {cell("e\u0301"), cell("\U0001F468\u200D\U0001F469\u200D\U0001F467"),
                cell("\u6F22\u5B57")},
               {{cell("ab"), cell("ab"), cell("ab")}}),
         "|e\u0301 |\U0001F468\u200D\U0001F469\u200D\U0001F467 |\u6F22\u5B57|\n|--|--|--|\n"
         "|ab|ab|ab|"},
        {"no cells at all", table({}, {}, {Table::Row{}}), "||\n||\n||"},
        {"pipe in a cell is escaped", table({}, {cell("a|b"), Table::Cell{InlineCode("|")}}, {}),
         "|a\\|b|`\\|`|\n|----|----|"},
        {"surplus alignments ignored", table({right, left, center}, {cell("a")}, {}), "|a |\n|-:|"},
        {"span past the last column clamped",
         table({}, {cell("a"), cell("b")}, {{cell("x"), cell("yyy", 5)}}),
         "|a|b  |\n|-|---|\n|x|yyy|"},
        {"empty unaligned column keeps a hyphen", table({}, {cell("")}, {{cell("")}}),
         "| |\n|-|\n| |"},
        {"cells get neither the line limit nor the custom prefix",
         Document{table({}, {cell("aaa bbb ccc")}, {})}, "% |aaa bbb ccc|\n% |-----------|",
         limitAndPrefix},
        {"first child: no blank line; later: one",
         Document{table({}, {cell("a")}, {}), table({}, {cell("b")}, {})}, "|a|\n|-|\n\n|b|\n|-|"},
        {"prefix of an enclosing quote on every line",
         Document{BlockQuote{table({}, {cell("a")}, {{cell("b")}})}}, "> |a|\n> |-|\n> |b|"},
        {"head filler keeps its text", table({}, {cell("^", 1, 0)}, {}), "|^|\n|-|"},
    });
}

// A cell holding only "^" reads back as covered by the cell above unless it is escaped; a
// covered cell is the bare "^".
TEST(MarkupTableFormatterTest, CaretCellsReadBackAsText) {
    expectFormats({
        {"caret cells",
         table({std::nullopt, std::nullopt}, {cell("^"), cell("b")},
               {{cell("^"), cell("x")}, {cell("", 1, 0), cell("y")}}),
         "|\\^|b|\n|--|-|\n|\\^|x|\n|^ |y|"},
    });
    const std::string markdown = "| \\^ | b |\n|---|---|\n| \\^ | x |\n| ^ | y |\n";
    const Document tree = parseDocument(markdown);
    EXPECT_TRUE(parseDocument(format(tree)).hasSameStructure(tree)) << format(tree);
}

TEST(MarkupTableFormatterDeathTest, TablePartsAloneStop) {
    const Table t = table({}, {cell("a")}, {{cell("b")}});
    EXPECT_DEATH(format(t.head()), "Do not call visitTableHead\\(_:\\)");
    EXPECT_DEATH(format(t.body()), "Do not call visitTableBody\\(_:\\)");
    EXPECT_DEATH(format(*t.body().child(0)), "Do not call visitTableRow\\(_:\\)");
    EXPECT_DEATH(format(*t.head().child(0)),
                 "Do not call visitTableCell\\(_:\\) directly; markdown tables must be formatted "
                 "as a single unit. Call `visitTable` on the parent table");
}

}  // namespace
}  // namespace pindrake::markdown
