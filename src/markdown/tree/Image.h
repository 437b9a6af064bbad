#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// An inline image: a source, an optional title and the alternative text as its children. An
// empty source or title given here is stored as absent.
class Image final : public InlineContainer<Image, MarkupKind::image> {
  public:
    Image(std::optional<std::string> source, std::optional<std::string> title,
          std::initializer_list<RecurringInlineMarkup> children = {})
        : Image(std::move(source), std::move(title),
                std::span<const RecurringInlineMarkup>(children.begin(), children.size())) {}
    template <ElementRange<RecurringInlineMarkup> R>
    Image(std::optional<std::string> source, std::optional<std::string> title, R&& children)
        : InlineContainer(newTree(
              {detail::absentIfEmpty(std::move(source)), detail::absentIfEmpty(std::move(title))},
              detail::rawNodesOf(children))) {}

    const std::optional<std::string>& source() const { return payload().source; }
    const std::optional<std::string>& title() const { return payload().title; }
    // Both do nothing when given the value the field holds (compared before an empty text
    // turns into absent); otherwise they rebuild.
    void setSource(std::optional<std::string> source);
    void setTitle(std::optional<std::string> title);
    template <class Change>
    void modifySource(Change&& change) {
        detail::modifyField(
            source(), [this](auto value) { setSource(std::move(value)); }, change);
    }
    template <class Change>
    void modifyTitle(Change&& change) {
        detail::modifyField(
            title(), [this](auto value) { setTitle(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit Image(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
