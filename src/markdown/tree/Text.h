#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A run of plain characters.
class Text final : public Element<Text, MarkupKind::text> {
  public:
    explicit Text(std::string string) : Element(newTree({std::move(string)})) {}

    const std::string& string() const { return payload().text; }
    // Always rebuilds, even for an unchanged value.
    void setString(std::string string) { replacePayload({std::move(string)}); }
    template <class Change>
    void modifyString(Change&& change) {
        detail::modifyField(
            string(), [this](auto value) { setString(std::move(value)); }, change);
    }
    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit Text(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
