#pragma once

#include "markdown/tree/Element.h"

namespace pindrake::markdown {

// A horizontal rule.
class ThematicBreak final : public Element<ThematicBreak, MarkupKind::thematicBreak> {
  public:
    ThematicBreak() : Element(newTree({})) {}

  private:
    friend struct detail::ElementAccess;
    explicit ThematicBreak(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
