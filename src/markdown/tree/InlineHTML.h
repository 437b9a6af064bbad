#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A piece of raw inline HTML.
class InlineHTML final : public Element<InlineHTML, MarkupKind::inlineHTML> {
  public:
    explicit InlineHTML(std::string rawHTML) : Element(newTree({std::move(rawHTML)})) {}

    const std::string& rawHTML() const { return payload().html; }
    // Always rebuilds, even for an unchanged value.
    void setRawHTML(std::string rawHTML) { replacePayload({std::move(rawHTML)}); }
    template <class Change>
    void modifyRawHTML(Change&& change) {
        detail::modifyField(
            rawHTML(), [this](auto value) { setRawHTML(std::move(value)); }, change);
    }
    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit InlineHTML(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
