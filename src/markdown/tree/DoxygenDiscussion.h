#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The discussion of a documented symbol. Its node never has a range of its own.
class DoxygenDiscussion final
    : public BlockContainer<DoxygenDiscussion, MarkupKind::doxygenDiscussion> {
  public:
    DoxygenDiscussion(std::initializer_list<BlockMarkup> children = {})
        : DoxygenDiscussion(std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    explicit DoxygenDiscussion(R&& children)
        : BlockContainer(newTree({}, detail::rawNodesOf(children))) {}

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenDiscussion(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
