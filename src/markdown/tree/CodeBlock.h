#pragma once

#include <optional>
#include <string>

#include "markdown/tree/Element.h"

namespace pindrake::markdown {

// Literal code with an optional language.
class CodeBlock final : public Element<CodeBlock, MarkupKind::codeBlock> {
  public:
    CodeBlock(std::optional<std::string> language, std::string code)
        : Element(newTree({std::move(code), std::move(language)})) {}

    const std::string& code() const { return payload().code; }
    const std::optional<std::string>& language() const { return payload().language; }
    // Both always rebuild, even for an unchanged value.
    void setCode(std::string code) { replacePayload({std::move(code), language()}); }
    void setLanguage(std::optional<std::string> language) {
        replacePayload({code(), std::move(language)});
    }
    template <class Change>
    void modifyCode(Change&& change) {
        detail::modifyField(
            code(), [this](auto value) { setCode(std::move(value)); }, change);
    }
    template <class Change>
    void modifyLanguage(Change&& change) {
        detail::modifyField(
            language(), [this](auto value) { setLanguage(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit CodeBlock(MarkupData data) noexcept : Element(std::move(data)) {}
};

}  // namespace pindrake::markdown
