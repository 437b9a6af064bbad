#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// An inline of custom content carrying one text, which cannot be changed afterwards. The
// parser never makes one.
class CustomInline final : public Element<CustomInline, MarkupKind::customInline> {
  public:
    explicit CustomInline(std::string text) : Element(newTree({std::move(text)})) {}

    const std::string& text() const { return payload().text; }
    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit CustomInline(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
