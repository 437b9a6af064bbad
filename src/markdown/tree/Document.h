#pragma once

#include <initializer_list>
#include <span>
#include <utility>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The root of a Markdown tree: parsing a text yields one.
class Document final : public BlockContainer<Document, MarkupKind::document> {
  public:
    // The children one by one. A single child of this very type is not nested but copied, as
    // the copy constructor does: nest it as a converted child, Document{BlockMarkup(inner)}.
    template <class... C>
    requires ChildElements<Document, BlockMarkup, C...>
    explicit Document(C&&... children)
        : Document(detail::childArray<BlockMarkup>(std::forward<C>(children)...)) {}
    Document(std::initializer_list<BlockMarkup> children, bool inheritSourceRange)
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
