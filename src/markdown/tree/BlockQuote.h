#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// A quoted block.
class BlockQuote final : public BlockContainer<BlockQuote, MarkupKind::blockQuote> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, BlockQuote{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<BlockQuote, BlockMarkup, C...>
    explicit BlockQuote(C&&... children)
        : BlockQuote(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    BlockQuote(std::initializer_list<BlockMarkup> children, bool inheritSourceRange)
        : BlockQuote(std::span<const BlockMarkup>(children.begin(), children.size()),
                     inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<BlockMarkup> R>
    explicit BlockQuote(R&& children, bool inheritSourceRange = false)
        : BlockContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit BlockQuote(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
