#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A hard line break; its plain text is a line feed.
class LineBreak final : public Element<LineBreak, MarkupKind::lineBreak> {
  public:
    LineBreak() : Element(newTree({})) {}

    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit LineBreak(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
