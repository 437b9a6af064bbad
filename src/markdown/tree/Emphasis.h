#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Emphasised inline content.
class Emphasis final : public InlineContainer<Emphasis, MarkupKind::emphasis> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, Emphasis{InlineMarkup(inner)}.
    template <class... C>
    requires ChildElements<Emphasis, InlineMarkup, C...>
    explicit Emphasis(C&&... children)
        : Emphasis(detail::childArray<InlineMarkup>(std::forward<C>(children)...)) {}
    Emphasis(std::initializer_list<InlineMarkup> children, bool inheritSourceRange)
        : Emphasis(std::span<const InlineMarkup>(children.begin(), children.size()),
                   inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Emphasis(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Emphasis(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
