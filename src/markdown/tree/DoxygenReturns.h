#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The description of a documented function's result. Its node never has a range of its own.
class DoxygenReturns final : public BlockContainer<DoxygenReturns, MarkupKind::doxygenReturns> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, DoxygenReturns{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<DoxygenReturns, BlockMarkup, C...>
    explicit DoxygenReturns(C&&... children)
        : DoxygenReturns(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenReturns(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenReturns(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
