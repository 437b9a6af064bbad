#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// A note on a documented symbol. Its node never has a range of its own.
class DoxygenNote final : public BlockContainer<DoxygenNote, MarkupKind::doxygenNote> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, DoxygenNote{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<DoxygenNote, BlockMarkup, C...>
    explicit DoxygenNote(C&&... children)
        : DoxygenNote(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenNote(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenNote(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
