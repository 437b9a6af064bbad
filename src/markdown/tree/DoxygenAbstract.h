#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The abstract (brief description) of a documented symbol. Its node never has a range of its own.
class DoxygenAbstract final : public BlockContainer<DoxygenAbstract, MarkupKind::doxygenAbstract> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, DoxygenAbstract{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<DoxygenAbstract, BlockMarkup, C...>
    explicit DoxygenAbstract(C&&... children)
        : DoxygenAbstract(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenAbstract(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenAbstract(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
