#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/TableCellContainer.h"

namespace pindrake::markdown {

// Table::Head: the table's header cells, held directly (not in a row).
class TableHead final : public TableCellContainer<TableHead, MarkupKind::tableHead> {
  public:
    TableHead(std::initializer_list<TableCell> cells = {})
        : TableHead(std::span<const TableCell>(cells.begin(), cells.size())) {}
    explicit TableHead(const TableCell& cell) : TableHead(std::span<const TableCell>(&cell, 1)) {}
    template <ElementRange<TableCell> R>
    explicit TableHead(R&& cells) : TableCellContainer(newTree({}, detail::rawNodesOf(cells))) {}

  private:
    friend struct detail::ElementAccess;
    explicit TableHead(MarkupData data) noexcept : TableCellContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
