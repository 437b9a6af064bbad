#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

#include "markdown/tree/Markup.h"
#include "markdown/tree/PlainText.h"

namespace pindrake::markdown {

// An inline element that may stand inside any inline container, links and images included:
// text, inline code, inline HTML, custom inlines, breaks and the three span styles.
class RecurringInlineMarkup : public Markup {
  public:
    template <class E>
    requires(!std::same_as<E, RecurringInlineMarkup> &&
             ConvertibleElement<E, RecurringInlineMarkup>) RecurringInlineMarkup(E element)
    noexcept : Markup(static_cast<Markup&&>(element)) {}

    static constexpr bool admits(MarkupKind kind) noexcept { return isRecurringInline(kind); }
    template <class E>
    static constexpr bool admitsType() {
        if constexpr (requires { E::markupKind; }) {
            return isRecurringInline(E::markupKind);
        } else {
            return std::is_same_v<E, RecurringInlineMarkup>;
        }
    }
    static constexpr std::string_view typeName() noexcept { return "RecurringInlineMarkup"; }

    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit RecurringInlineMarkup(MarkupData data) noexcept : Markup(std::move(data)) {}
};

// Any inline element.
class InlineMarkup : public Markup {
  public:
    template <class E>
    requires(!std::same_as<E, InlineMarkup> && ConvertibleElement<E, InlineMarkup>)
        InlineMarkup(E element)
    noexcept : Markup(static_cast<Markup&&>(element)) {}

    static constexpr bool admits(MarkupKind kind) noexcept { return isInline(kind); }
    template <class E>
    static constexpr bool admitsType() {
        if constexpr (requires { E::markupKind; }) {
            return isInline(E::markupKind);
        } else {
            return std::is_same_v<E, InlineMarkup> || std::is_same_v<E, RecurringInlineMarkup>;
        }
    }
    static constexpr std::string_view typeName() noexcept { return "InlineMarkup"; }

    std::string plainText() const { return markdown::plainText(raw()); }

  private:
    friend struct detail::ElementAccess;
    explicit InlineMarkup(MarkupData data) noexcept : Markup(std::move(data)) {}
};

}  // namespace pindrake::markdown
