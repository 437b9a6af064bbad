#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "markdown/tree/ListItemContainer.h"

namespace pindrake::markdown {

// A numbered list; it starts at 1 unless told otherwise.
class OrderedList final : public ListItemContainer<OrderedList, MarkupKind::orderedList> {
  public:
    OrderedList(std::initializer_list<ListItem> items = {})
        : OrderedList(std::span<const ListItem>(items.begin(), items.size())) {}
    explicit OrderedList(const ListItem& item) : OrderedList(std::span<const ListItem>(&item, 1)) {}
    template <ElementRange<ListItem> R>
    explicit OrderedList(R&& items) : ListItemContainer(newTree({1}, detail::rawNodesOf(items))) {}

    std::uint64_t startIndex() const { return payload().startIndex; }
    // Does nothing for the value the list already has.
    void setStartIndex(std::uint64_t startIndex) {
        if (payload().startIndex == startIndex)
            return;
        replacePayload({startIndex});
    }
    template <class Change>
    void modifyStartIndex(Change&& change) {
        detail::modifyField(
            startIndex(), [this](auto value) { setStartIndex(value); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit OrderedList(MarkupData data) noexcept : ListItemContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
