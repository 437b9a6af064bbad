#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/TableCellContainer.h"

namespace pindrake::markdown {

// Table::Row: one body row of a table.
class TableRow final : public TableCellContainer<TableRow, MarkupKind::tableRow> {
  public:
    TableRow(std::initializer_list<TableCell> cells = {})
        : TableRow(std::span<const TableCell>(cells.begin(), cells.size())) {}
    explicit TableRow(const TableCell& cell) : TableRow(std::span<const TableCell>(&cell, 1)) {}
    template <ElementRange<TableCell> R>
    explicit TableRow(R&& cells) : TableCellContainer(newTree({}, detail::rawNodesOf(cells))) {}

  private:
    friend struct detail::ElementAccess;
    explicit TableRow(MarkupData data) noexcept : TableCellContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
