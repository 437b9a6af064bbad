#pragma once

#include <initializer_list>
#include <optional>
#include <span>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// One item of a list, holding block elements; a task item carries a checkbox.
class ListItem final : public BlockContainer<ListItem, MarkupKind::listItem> {
  public:
    ListItem(std::optional<Checkbox> checkbox, std::initializer_list<BlockMarkup> children)
        : ListItem(checkbox, std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    ListItem(std::optional<Checkbox> checkbox, R&& children)
        : BlockContainer(newTree({checkbox}, detail::rawNodesOf(children))) {}
    explicit ListItem(std::initializer_list<BlockMarkup> children = {})
        : ListItem(std::nullopt, children) {}

    const std::optional<Checkbox>& checkbox() const { return payload().checkbox; }
    // Always rebuilds, even for the value the item already has.
    void setCheckbox(std::optional<Checkbox> checkbox) { replacePayload({checkbox}); }
    template <class Change>
    void modifyCheckbox(Change&& change) {
        detail::modifyField(
            checkbox(), [this](auto value) { setCheckbox(value); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit ListItem(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
