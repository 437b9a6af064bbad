#pragma once

#include <string>

#include "markdown/tree/Element.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// A code span; the code holds no backtick delimiters.
class InlineCode final : public Element<InlineCode, MarkupKind::inlineCode> {
  public:
    explicit InlineCode(std::string code) : Element(newTree({std::move(code)})) {}

    const std::string& code() const { return payload().code; }
    // Always rebuilds, even for an unchanged value.
    void setCode(std::string code) { replacePayload({std::move(code)}); }
    template <class Change>
    void modifyCode(Change&& change) {
        detail::modifyField(
            code(), [this](auto value) { setCode(std::move(value)); }, change);
    }
    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit InlineCode(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
