#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The description of a documented function's result. Its node never has a range of its own.
class DoxygenReturns final : public BlockContainer<DoxygenReturns, MarkupKind::doxygenReturns> {
  public:
    DoxygenReturns(std::initializer_list<BlockMarkup> children = {})
        : DoxygenReturns(std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenReturns(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenReturns(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
