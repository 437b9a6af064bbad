#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The discussion of a documented symbol. Its node never has a range of its own.
class DoxygenDiscussion final
    : public BlockContainer<DoxygenDiscussion, MarkupKind::doxygenDiscussion> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child,
    // DoxygenDiscussion{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<DoxygenDiscussion, BlockMarkup, C...>
    explicit DoxygenDiscussion(C&&... children)
        : DoxygenDiscussion(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenDiscussion(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenDiscussion(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
