#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// A table cell (Table::Cell) holding inline content. It covers colspan columns and rowspan rows: 1
// and 1 for an ordinary cell, 0 for a position covered by a spanning cell; any value is kept.
class TableCell final : public InlineContainer<TableCell, MarkupKind::tableCell> {
  public:
    TableCell(std::initializer_list<InlineMarkup> children = {}, bool inheritSourceRange = false)
        : TableCell(1, 1, children, inheritSourceRange) {}
    template <ElementRange<InlineMarkup> R>
    explicit TableCell(R&& children, bool inheritSourceRange = false)
        : TableCell(1, 1, std::forward<R>(children), inheritSourceRange) {}
    TableCell(std::uint64_t colspan, std::uint64_t rowspan,
              std::initializer_list<InlineMarkup> children, bool inheritSourceRange = false)
        : TableCell(colspan, rowspan,
                    std::span<const InlineMarkup>(children.begin(), children.size()),
                    inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    TableCell(std::uint64_t colspan, std::uint64_t rowspan, R&& children,
              bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({colspan, rowspan}, detail::rawNodesOf(children),
                                          inheritSourceRange)) {}

    std::uint64_t colspan() const { return payload().colspan; }
    std::uint64_t rowspan() const { return payload().rowspan; }
    // Both always rebuild, even for an unchanged value, and drop the range.
    void setColspan(std::uint64_t colspan) { replacePayload({colspan, rowspan()}); }
    void setRowspan(std::uint64_t rowspan) { replacePayload({colspan(), rowspan}); }
    template <class Change>
    void modifyColspan(Change&& change) {
        detail::modifyField(
            colspan(), [this](auto value) { setColspan(value); }, change);
    }
    template <class Change>
    void modifyRowspan(Change&& change) {
        detail::modifyField(
            rowspan(), [this](auto value) { setRowspan(value); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit TableCell(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
