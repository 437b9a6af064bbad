#pragma once

#include <initializer_list>
#include <span>

#include "markdown/tree/InlineContainer.h"

namespace pindrake::markdown {

// Struck-through inline content; its plain text stands between two tildes.
class Strikethrough final : public InlineContainer<Strikethrough, MarkupKind::strikethrough> {
  public:
    Strikethrough(std::initializer_list<InlineMarkup> children = {},
                  bool inheritSourceRange = false)
        : Strikethrough(std::span<const InlineMarkup>(children.begin(), children.size()),
                        inheritSourceRange) {}
    // With inheritSourceRange, the range from the first child's start to the last child's end.
    template <ElementRange<InlineMarkup> R>
    explicit Strikethrough(R&& children, bool inheritSourceRange = false)
        : InlineContainer(newTreeSpanning({}, detail::rawNodesOf(children), inheritSourceRange)) {}

  private:
    friend struct detail::ElementAccess;
    explicit Strikethrough(MarkupData data) noexcept : InlineContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
