#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// A run of inline content.
class Paragraph final : public InlineContainer<Paragraph, MarkupKind::paragraph> {
  public:
    Paragraph(std::initializer_list<InlineMarkup> children = {}, bool inheritSourceRange = false)
        : Paragraph(std::span<const InlineMarkup>(children.begin(), children.size()),
                    inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Paragraph(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Paragraph(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
