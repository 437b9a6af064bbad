#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// A block of custom content; the parser never makes one.
class CustomBlock final : public BlockContainer<CustomBlock, MarkupKind::customBlock> {
  public:
    CustomBlock(std::initializer_list<BlockMarkup> children = {}, bool inheritSourceRange = false)
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
