#pragma once

#include <cstdint>
#include <utility>

#include "markdown/tree/BlockMarkup.h"
#include "markdown/tree/Element.h"
#include "markdown/tree/TypedChildren.h"

namespace pindrake::markdown {

// An element whose children are block elements. Replacing children keeps the element's data
// and its own range, and moves the element to a new tree.
template <class Derived, MarkupKind Kind>
class BlockContainer : public Element<Derived, Kind> {
  public:
    TypedChildren<BlockMarkup> blockChildren() const {
        return TypedChildren<BlockMarkup>(this->children());
    }
    template <ElementRange<BlockMarkup> R>
    void setBlockChildren(R&& children) {
        replaceChildrenInRange(0, this->childCount(), std::forward<R>(children));
    }
    // Replaces the children at lower ..< upper; stops when that lies outside the children.
    template <ElementRange<BlockMarkup> R>
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, R&& children) {
        this->replaceRawChildren(lower, upper, detail::rawNodesOf(children));
    }

  protected:
    explicit BlockContainer(MarkupData data) noexcept : Element<Derived, Kind>(std::move(data)) {}
};

}  // namespace pindrake::markdown
