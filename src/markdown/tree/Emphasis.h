#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Emphasised inline content.
class Emphasis final : public InlineContainer<Emphasis, MarkupKind::emphasis> {
  public:
    Emphasis(std::initializer_list<InlineMarkup> children = {}, bool inheritSourceRange = false)
        : Emphasis(std::span<const InlineMarkup>(children.begin(), children.size()),
                   inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Emphasis(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Emphasis(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
