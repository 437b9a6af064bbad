#pragma once

#include <string>

#include "markdown/tree/Element.h"

namespace pindrake::markdown {

// A block of raw HTML.
class HTMLBlock final : public Element<HTMLBlock, MarkupKind::htmlBlock> {
  public:
    explicit HTMLBlock(std::string rawHTML) : Element(newTree({std::move(rawHTML)})) {}

    const std::string& rawHTML() const { return payload().html; }
    // Always rebuilds, even for an unchanged value.
    void setRawHTML(std::string rawHTML) { replacePayload({std::move(rawHTML)}); }
    template <class Change>
    void modifyRawHTML(Change&& change) {
        detail::modifyField(
            rawHTML(), [this](auto value) { setRawHTML(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit HTMLBlock(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
