#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "markdown/tree/Element.h"
#include "markdown/tree/TableBody.h"
#include "markdown/tree/TableHead.h"

namespace pindrake::markdown {

// A table with a head of header cells and a body of rows. Its alignment list always has at
// least one entry per column of its widest row when the table's own operations build it.
class Table final : public Element<Table, MarkupKind::table> {
  public:
    using ColumnAlignment = markdown::ColumnAlignment;
    using Alignments = std::vector<std::optional<ColumnAlignment>>;
    using Head = TableHead;
    using Body = TableBody;
    using Row = TableRow;
    using Cell = TableCell;

    // Missing alignments are padded with absent entries up to the widest row.
    Table(Alignments columnAlignments, const Head& head, const Body& body);

    const Alignments& columnAlignments() const { return payload().columnAlignments; }
    Head head() const;
    Body body() const;
    // The setters pad the alignments to the new width (never shorten them) and drop the range.
    void setColumnAlignments(Alignments columnAlignments);
    void setHead(const Head& head);
    void setBody(const Body& body);
    template <class Change>
    void modifyColumnAlignments(Change&& change);
    template <class Change>
    void modifyHead(Change&& change);
    template <class Change>
    void modifyBody(Change&& change);

    // The cell count of the widest of the head and the body's rows (spans not counted).
    std::int64_t maxColumnCount() const;
    // No header cells and no body rows. A table always has its head and body as children, so
    // this is not the child-count test of other elements.
    bool isEmpty() const;

  private:
    friend struct detail::ElementAccess;
    explicit Table(MarkupData data) noexcept : Element(std::move(data)) {}

    static RawMarkupPtr assemble(Alignments columnAlignments, RawMarkupPtr head, RawMarkupPtr body);
    const RawMarkup& headNode() const;
    const RawMarkup& bodyNode() const;
};

template <class Change>
void Table::modifyColumnAlignments(Change&& change) {
    detail::modifyField(
        columnAlignments(), [this](auto value) { setColumnAlignments(std::move(value)); }, change);
}

template <class Change>
void Table::modifyHead(Change&& change) {
    detail::modifyField(
        head(), [this](const Head& value) { setHead(value); }, change);
}

template <class Change>
void Table::modifyBody(Change&& change) {
    detail::modifyField(
        body(), [this](const Body& value) { setBody(value); }, change);
}

}  // namespace pindrake::markdown
