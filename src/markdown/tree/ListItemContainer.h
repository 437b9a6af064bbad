#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "markdown/tree/Element.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/TypedChildren.h"

namespace pindrake::markdown {

// A list: its children are list items.
template <class Derived, MarkupKind Kind>
class ListItemContainer : public Element<Derived, Kind> {
  public:
    TypedChildren<ListItem> listItems() const { return TypedChildren<ListItem>(this->children()); }
    template <ElementRange<ListItem> R>
    void setListItems(R&& items) {
        replaceItemsInRange(0, this->childCount(), std::forward<R>(items));
    }
    // Replaces the items at lower ..< upper; stops when that lies outside the children.
    template <ElementRange<ListItem> R>
    void replaceItemsInRange(std::int64_t lower, std::int64_t upper, R&& items) {
        this->replaceRawChildren(lower, upper, detail::rawNodesOf(items));
    }
    void appendItem(const ListItem& item) {
        this->replaceRawChildren(this->childCount(), this->childCount(), {item.rawPtr()});
    }

  protected:
    explicit ListItemContainer(MarkupData data) noexcept
        : Element<Derived, Kind>(std::move(data)) {}
};

}  // namespace pindrake::markdown
