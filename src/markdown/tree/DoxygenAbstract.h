#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The abstract (brief description) of a documented symbol. Its node never has a range of its own.
class DoxygenAbstract final : public BlockContainer<DoxygenAbstract, MarkupKind::doxygenAbstract> {
  public:
    DoxygenAbstract(std::initializer_list<BlockMarkup> children = {})
        : DoxygenAbstract(std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenAbstract(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenAbstract(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
