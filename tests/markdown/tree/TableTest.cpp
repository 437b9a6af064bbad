#include <gtest/gtest.h>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using Alignments = Table::Alignments;
using testing::node;
using testing::span;

Table::Row rowOf(int cells) {
    return Table::Row(std::vector<Table::Cell>(static_cast<std::size_t>(cells), Table::Cell{}));
}

Table::Head headOf(int cells) {
    return Table::Head(std::vector<Table::Cell>(static_cast<std::size_t>(cells), Table::Cell{}));
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

// A body edited outside the table is repadded only when the body setter takes it back.
TEST(TableTest, SettersRepadTheAlignmentsButNeverShortenThem) {
    Table table({}, headOf(3), Table::Body{rowOf(2)});
    table.setColumnAlignments({});
    EXPECT_EQ(table.columnAlignments(), Alignments(3));
    table.setHead(headOf(2));
    EXPECT_EQ(table.columnAlignments(), Alignments(3));

    Table::Body body = table.body();
    body.appendRow(rowOf(5));
    Table parent = *body.parent()->as<Table>();
    EXPECT_EQ(parent.columnAlignments().size(), 3u);
    EXPECT_EQ(parent.maxColumnCount(), 5);
    table.setBody(body);
    EXPECT_EQ(table.columnAlignments().size(), 5u);

    // Head and body are always there, and do not make a table non-empty.
    Table empty({}, Table::Head{}, Table::Body{});
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.childCount(), 2);
    EXPECT_FALSE(Table({}, Table::Head{}, Table::Body{Table::Row{}}).isEmpty());
}

TEST(TableTest, HeadSetterSharesTheBodyAndDropsTheTablesRange) {
    auto parsedBody =
        node(payload::TableBody{}, span(3, 1, 3, 8), {node(payload::TableRow{}, span(3, 1, 3, 8))});
    Table table = Table::wrap(node(payload::Table{}, span(1, 1, 3, 8),
                                   {node(payload::TableHead{}, span(1, 1, 1, 8)), parsedBody}));
    table.setHead(headOf(2));
    EXPECT_FALSE(table.range());
    EXPECT_EQ(table.raw().children()[1], parsedBody);
    EXPECT_EQ(table.body().range(), span(3, 1, 3, 8));
}

}  // namespace
}  // namespace pindrake::markdown
