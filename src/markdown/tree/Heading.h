#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Inline content with a level. The initialisers store any level; the setter wants 1 or more.
class Heading final : public InlineContainer<Heading, MarkupKind::heading> {
  public:
    explicit Heading(std::int64_t level, std::initializer_list<InlineMarkup> children = {})
        : Heading(level, std::span<const InlineMarkup>(children.begin(), children.size())) {}
    template <ElementRange<InlineMarkup> R>
    Heading(std::int64_t level, R&& children)
        : InlineContainer(newTree({level}, detail::rawNodesOf(children))) {}

    std::int64_t level() const { return payload().level; }
    // Stops for a level below 1; does nothing for the level the heading already has.
    void setLevel(std::int64_t level) {
        require(level >= 1, "a heading's level must be at least 1");
        if (payload().level == level)
            return;
        replacePayload({level});
    }
    template <class Change>
    void modifyLevel(Change&& change) {
        detail::modifyField(
            level(), [this](auto value) { setLevel(value); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit Heading(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
