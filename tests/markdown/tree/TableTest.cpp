#include <gtest/gtest.h>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using Alignments = Table::Alignments;
using testing::node;
using testing::span;

Table::Row rowOf(int cells) {
    std::vector<Table::Cell> row(static_cast<std::size_t>(cells), Table::Cell{});
    return Table::Row(row);
}

Table::Head headOf(int cells) {
    std::vector<Table::Cell> head(static_cast<std::size_t>(cells), Table::Cell{});
    return Table::Head(head);
}

TEST(TableTest, AlignmentsArePaddedToTheWidestRowButNeverShortened) {
    constexpr auto left = ColumnAlignment::left;
    constexpr auto right = ColumnAlignment::right;
    struct Case {
        const char* name;
        Alignments given;
        int headCells;
        std::vector<int> rows;
        Alignments stored;
        std::int64_t maxColumnCount;
    };
    const Case cases[] = {
        {"none given", {}, 3, {2, 4}, Alignments(4), 4},
        {"two of three", {left, right}, 3, {}, {left, right, std::nullopt}, 3},
        {"longer than the table", Alignments(5, left), 3, {1}, Alignments(5, left), 3},
        {"empty table", {}, 0, {}, {}, 0},
    };
    for (const auto& c : cases) {
        std::vector<Table::Row> rows;
        for (int width : c.rows)
            rows.push_back(rowOf(width));
        Table table(c.given, headOf(c.headCells), Table::Body(rows));
        EXPECT_EQ(table.columnAlignments(), c.stored) << c.name;
        EXPECT_EQ(table.maxColumnCount(), c.maxColumnCount) << c.name;
    }
}

TEST(TableTest, SettersRepadTheAlignments) {
    Table table({}, headOf(3), Table::Body{});
    table.setColumnAlignments({});
    EXPECT_EQ(table.columnAlignments(), Alignments(3));

    Table wide(Alignments(4, ColumnAlignment::center), headOf(4), Table::Body{});
    wide.setHead(headOf(2));
    EXPECT_EQ(wide.columnAlignments().size(), 4u);
}

TEST(TableTest, EmptinessIsTheTablesOwnTest) {
    Table empty({}, Table::Head{}, Table::Body{});
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.childCount(), 2);
    EXPECT_EQ(empty.maxColumnCount(), 0);
    Table oneRow({}, Table::Head{}, Table::Body{Table::Row{}});
    EXPECT_FALSE(oneRow.isEmpty());
}

TEST(TableTest, HeadAndBodyArePlacedInTheTablesTree) {
    Table table({}, headOf(3), Table::Body{rowOf(3)});
    EXPECT_EQ(table.head().identifier().childId, 1);
    EXPECT_EQ(table.body().identifier().childId, 5);
    EXPECT_EQ(table.body().identifier().rootId, table.identifier().rootId);
    int cells = 0;
    for (Table::Row row : table.body().rows()) {
        for (Table::Cell cell : row.cells()) {
            EXPECT_EQ(cell.colspan(), 1u);
            ++cells;
        }
    }
    EXPECT_EQ(cells, 3);
}

TEST(TableTest, BodyEditedOutsideTheTableIsNotRepaddedUntilTheBodySetterRuns) {
    Table table({}, headOf(3), Table::Body{rowOf(2)});
    Table::Body body = table.body();
    body.appendRow(rowOf(5));
    Table parent = *body.parent()->as<Table>();
    EXPECT_EQ(parent.columnAlignments().size(), 3u);
    EXPECT_EQ(parent.maxColumnCount(), 5);

    table.setBody(body);
    EXPECT_EQ(table.columnAlignments().size(), 5u);

    Table inPlace({}, headOf(1), Table::Body{});
    inPlace.modifyBody([](Table::Body& b) { b.appendRow(rowOf(4)); });
    EXPECT_EQ(inPlace.columnAlignments().size(), 4u);
}

TEST(TableTest, HeadSetterSharesTheBodyAndDropsTheTablesRange) {
    auto parsedBody =
        node(payload::TableBody{}, span(3, 1, 3, 8), {node(payload::TableRow{}, span(3, 1, 3, 8))});
    auto parsed = Table::wrap(node(payload::Table{}, span(1, 1, 3, 8),
                                   {node(payload::TableHead{}, span(1, 1, 1, 8)), parsedBody}));
    Table table = parsed;
    table.setHead(headOf(2));
    EXPECT_FALSE(table.range());
    EXPECT_EQ(table.raw().children()[1], parsedBody);
    EXPECT_EQ(table.body().range(), span(3, 1, 3, 8));
    EXPECT_EQ(table.columnAlignments().size(), 2u);
}

TEST(TableTest, CellAndRowEditsKeepOrDropRanges) {
    auto parsedRow = node(payload::TableRow{}, span(3, 1, 3, 8),
                          {node(payload::TableCell{1, 1}, span(3, 2, 3, 4))});
    auto document =
        Document::wrap(node(payload::Document{}, span(1, 1, 3, 8),
                            {node(payload::Table{}, span(1, 1, 3, 8),
                                  {node(payload::TableHead{}, span(1, 1, 1, 8)),
                                   node(payload::TableBody{}, span(3, 1, 3, 8), {parsedRow})})}));

    auto cell = testing::elementAt<Table::Cell>(document, {0, 1, 0, 0});
    cell.setColspan(2);
    EXPECT_FALSE(cell.range());
    for (auto up = cell.parent(); up; up = up->parent()) {
        EXPECT_FALSE(up->range()) << caseName(up->kind());
    }

    auto row = testing::elementAt<Table::Row>(document, {0, 1, 0});
    row.appendCell(Table::Cell{});
    EXPECT_EQ(row.range(), span(3, 1, 3, 8));
    EXPECT_FALSE(row.parent()->range());
    EXPECT_FALSE(row.root().range());

    row.replaceCellsInRange(1, 1, std::vector<Table::Cell>{Table::Cell{}, Table::Cell{}});
    EXPECT_EQ(row.childCount(), 4);
    EXPECT_DEATH(row.replaceCellsInRange(0, 5, std::vector<Table::Cell>{}), "outside the children");

    Table::Body body{rowOf(1), rowOf(1), rowOf(1), rowOf(1)};
    body.replaceRowsInRange(1, 3, std::vector<Table::Row>{rowOf(2)});
    EXPECT_EQ(body.childCount(), 3);
}

TEST(TableTest, HeadAndRowDifferOnlyByKind) {
    Table::Cell cell{Text("x")};
    EXPECT_FALSE(Table::Head(cell).hasSameStructure(Table::Row(cell)));
    EXPECT_TRUE(Table::Head(cell).hasSameStructure(Table::Head{cell}));
}

}  // namespace
}  // namespace pindrake::markdown
