#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// A note on a documented symbol. Its node never has a range of its own.
class DoxygenNote final : public BlockContainer<DoxygenNote, MarkupKind::doxygenNote> {
  public:
    DoxygenNote(std::initializer_list<BlockMarkup> children = {})
        : DoxygenNote(std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenNote(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenNote(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
