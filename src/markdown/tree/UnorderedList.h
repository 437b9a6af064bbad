#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/ListItemContainer.h"

namespace pindrake::markdown {

// A bulleted list.
class UnorderedList final : public ListItemContainer<UnorderedList, MarkupKind::unorderedList> {
  public:
    UnorderedList(std::initializer_list<ListItem> items = {})
        : UnorderedList(std::span<const ListItem>(items.begin(), items.size())) {}
    explicit UnorderedList(const ListItem& item)
        : UnorderedList(std::span<const ListItem>(&item, 1)) {}
    template <ElementRange<ListItem> R>
    explicit UnorderedList(R&& items) : ListItemContainer(newTree({}, detail::rawNodesOf(items))) {}

  private:
    friend struct detail::ElementAccess;
    explicit UnorderedList(MarkupData data) noexcept : ListItemContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
