#pragma once

#include <cstdint>
#include <utility>

#include "markdown/tree/Element.h"
#include "markdown/tree/TableCell.h"
#include "markdown/tree/TypedChildren.h"

namespace pindrake::markdown {

// A line of table cells: the table's head or one of its body rows.
template <class Derived, MarkupKind Kind>
class TableCellContainer : public Element<Derived, Kind> {
  public:
    TypedChildren<TableCell> cells() const { return TypedChildren<TableCell>(this->children()); }
    template <ElementRange<TableCell> R>
    void setCells(R&& cells) {
        replaceCellsInRange(0, this->childCount(), std::forward<R>(cells));
    }
    // Replaces the cells at lower ..< upper; stops when that lies outside the children.
    template <ElementRange<TableCell> R>
    void replaceCellsInRange(std::int64_t lower, std::int64_t upper, R&& cells) {
        this->replaceRawChildren(lower, upper, detail::rawNodesOf(cells));
    }
    void appendCell(const TableCell& cell) {
        this->replaceRawChildren(this->childCount(), this->childCount(), {cell.rawPtr()});
    }

  protected:
    explicit TableCellContainer(MarkupData data) noexcept
        : Element<Derived, Kind>(std::move(data)) {}
};

}  // namespace pindrake::markdown
