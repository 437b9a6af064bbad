#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/Element.h"
#include "markdown/tree/TableRow.h"
#include "markdown/tree/TypedChildren.h"

namespace pindrake::markdown {

// Table::Body: the rows of a table below its head.
class TableBody final : public Element<TableBody, MarkupKind::tableBody> {
  public:
    TableBody(std::initializer_list<TableRow> rows = {})
        : TableBody(std::span<const TableRow>(rows.begin(), rows.size())) {}
    template <ElementRange<TableRow> R>
    explicit TableBody(R&& rows) : Element(newTree({}, detail::rawNodesOf(rows))) {}

    TypedChildren<TableRow> rows() const { return TypedChildren<TableRow>(children()); }
    template <ElementRange<TableRow> R>
    void setRows(R&& rows) {
        replaceRowsInRange(0, childCount(), std::forward<R>(rows));
    }
    // Replaces the rows at lower ..< upper; stops when that lies outside the children.
    template <ElementRange<TableRow> R>
    void replaceRowsInRange(std::int64_t lower, std::int64_t upper, R&& rows) {
        replaceRawChildren(lower, upper, detail::rawNodesOf(rows));
    }
    void appendRow(const TableRow& row) {
        replaceRawChildren(childCount(), childCount(), {row.rawPtr()});
    }

  private:
    friend struct detail::ElementAccess;
    explicit TableBody(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
