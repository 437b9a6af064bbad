#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A line end inside a paragraph that is not a hard break; its plain text is a space.
class SoftBreak final : public Element<SoftBreak, MarkupKind::softBreak> {
  public:
    SoftBreak() : Element(newTree({})) {}

    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit SoftBreak(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
