#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// A block of custom content; the parser never makes one.
class CustomBlock final : public BlockContainer<CustomBlock, MarkupKind::customBlock> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, CustomBlock{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<CustomBlock, BlockMarkup, C...>
    explicit CustomBlock(C&&... children)
        : CustomBlock(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    CustomBlock(std::initializer_list<BlockMarkup> children, bool inheritSourceRange)
        : CustomBlock(std::span<const BlockMarkup>(children.begin(), children.size()),
                      inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<BlockMarkup> R>
    explicit CustomBlock(R&& children, bool inheritSourceRange = false)
        : BlockContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit CustomBlock(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
