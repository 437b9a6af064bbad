#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Struck-through inline content; its plain text stands between two tildes.
class Strikethrough final : public InlineContainer<Strikethrough, MarkupKind::strikethrough> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, Strikethrough{InlineMarkup(inner)}.
    template <class... C>
    requires ChildElements<Strikethrough, InlineMarkup, C...>
    explicit Strikethrough(C&&... children)
        : Strikethrough(detail::childArray<InlineMarkup>(std::forward<C>(children)...)) {}
    Strikethrough(std::initializer_list<InlineMarkup> children, bool inheritSourceRange)
        : Strikethrough(std::span<const InlineMarkup>(children.begin(), children.size()),
                        inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Strikethrough(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Strikethrough(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
