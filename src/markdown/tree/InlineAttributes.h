#pragma once

#include <initializer_list>
#include <span>
#include <string>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// A span of inline content carrying an attributes text, stored as written.
class InlineAttributes final
    : public InlineContainer<InlineAttributes, MarkupKind::inlineAttributes> {
  public:
    InlineAttributes(std::string attributes,
                     std::initializer_list<RecurringInlineMarkup> children = {})
        : InlineAttributes(std::move(attributes), std::span<const RecurringInlineMarkup>(
                                                      children.begin(), children.size())) {}
    template <ElementRange<RecurringInlineMarkup> R>
    InlineAttributes(std::string attributes, R&& children)
        : InlineContainer(newTree({std::move(attributes)}, detail::rawNodesOf(children))) {}

    const std::string& attributes() const { return payload().attributes; }
    // Always rebuilds, even for an unchanged value.
    void setAttributes(std::string attributes) { replacePayload({std::move(attributes)}); }
    template <class Change>
    void modifyAttributes(Change&& change) {
        detail::modifyField(
            attributes(), [this](auto value) { setAttributes(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit InlineAttributes(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
