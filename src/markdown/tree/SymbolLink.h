#pragma once

#include <optional>
#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A reference to a symbol by its name. Its plain text is the name between double backticks.
class SymbolLink final : public Element<SymbolLink, MarkupKind::symbolLink> {
  public:
    // An absent destination is stored as the empty string.
    explicit SymbolLink(std::optional<std::string> destination)
        : Element(newTree({std::move(destination).value_or(std::string())})) {}

    const std::optional<std::string>& destination() const { return payload().destination; }
    // The empty string is stored as absent; always rebuilds, even for an unchanged value.
    void setDestination(std::optional<std::string> destination) {
        if (destination && destination->empty())
            destination.reset();
        replacePayload({std::move(destination)});
    }
    template <class Change>
    void modifyDestination(Change&& change) {
        detail::modifyField(
            destination(), [this](auto value) { setDestination(std::move(value)); }, change);
    }
    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit SymbolLink(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
