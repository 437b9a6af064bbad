#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// An inline link: a destination, an optional title and the link text as its children. An
// empty destination or title is stored as absent.
class Link final : public InlineContainer<Link, MarkupKind::link> {
  public:
    Link(std::optional<std::string> destination, std::optional<std::string> title,
         std::initializer_list<RecurringInlineMarkup> children = {})
        : Link(std::move(destination), std::move(title),
               std::span<const RecurringInlineMarkup>(children.begin(), children.size())) {}
    template <ElementRange<RecurringInlineMarkup> R>
    Link(std::optional<std::string> destination, std::optional<std::string> title, R&& children)
        : InlineContainer(newTree({detail::absentIfEmpty(std::move(destination)),
                                   detail::absentIfEmpty(std::move(title))},
                                  detail::rawNodesOf(children))) {}
    Link(std::string destination, std::initializer_list<RecurringInlineMarkup> children)
        : Link(std::optional<std::string>(std::move(destination)), std::nullopt, children) {}

    const std::optional<std::string>& destination() const { return payload().destination; }
    const std::optional<std::string>& title() const { return payload().title; }
    // Both always rebuild, even for an unchanged value.
    void setDestination(std::optional<std::string> destination) {
        replacePayload({detail::absentIfEmpty(std::move(destination)), title()});
    }
    void setTitle(std::optional<std::string> title) {
        replacePayload({destination(), detail::absentIfEmpty(std::move(title))});
    }
    template <class Change>
    void modifyDestination(Change&& change) {
        detail::modifyField(
            destination(), [this](auto value) { setDestination(std::move(value)); }, change);
    }
    template <class Change>
    void modifyTitle(Change&& change) {
        detail::modifyField(
            title(), [this](auto value) { setTitle(std::move(value)); }, change);
    }

    // Whether the link's only child is a text that reads as its destination (canonically
    // equivalent), as in <https://example.org>.
    bool isAutolink() const;

  private:
    friend struct detail::ElementAccess;
    explicit Link(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
