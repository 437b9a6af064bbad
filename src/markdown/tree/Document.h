#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The root of a Markdown tree: parsing a text yields one.
class Document final : public BlockContainer<Document, MarkupKind::document> {
  public:
    Document(std::initializer_list<BlockMarkup> children = {}, bool inheritSourceRange = false)
        : Document(std::span<const BlockMarkup>(children.begin(), children.size()),
                   inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<BlockMarkup> R>
    explicit Document(R&& children, bool inheritSourceRange = false)
        : BlockContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Document(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
