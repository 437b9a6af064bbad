#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Strongly emphasised inline content.
class Strong final : public InlineContainer<Strong, MarkupKind::strong> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, Strong{InlineMarkup(inner)}.
    template <class... C>
    requires ChildElements<Strong, InlineMarkup, C...>
    explicit Strong(C&&... children)
        : Strong(detail::childArray<InlineMarkup>(std::forward<C>(children)...)) {}
    Strong(std::initializer_list<InlineMarkup> children, bool inheritSourceRange)
        : Strong(std::span<const InlineMarkup>(children.begin(), children.size()),
                 inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Strong(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Strong(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
