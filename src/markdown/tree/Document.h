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

    // A finished document node as the root of a new tree with the given identifier, which
    // the caller drew from cmarkup_increment_and_get_unique_id. Stops on another kind of node.
    static Document fromRoot(RawMarkupPtr root, std::uint64_t rootId) {
        require(root != nullptr && root->kind() == MarkupKind::document,
                "a document needs a document node");
        return Document(MarkupData::makeRoot(std::move(root), rootId));
    }

  private:
    friend struct detail::ElementAccess;
    explicit Document(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
