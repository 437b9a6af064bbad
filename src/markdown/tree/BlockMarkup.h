#pragma once

#include <concepts>
#include <string_view>
#include <type_traits>

#include "markdown/tree/Markup.h"

namespace pindrake::markdown {

// Any block element (paragraph, heading, list, block quote, table, ...).
class BlockMarkup : public Markup {
  public:
    template <class E>
    requires(!std::same_as<E, BlockMarkup> && ConvertibleElement<E, BlockMarkup>)
        BlockMarkup(E element)
    noexcept : Markup(static_cast<Markup&&>(element)) {}

    static constexpr bool admits(MarkupKind kind) noexcept { return isBlock(kind); }
    template <class E>
    static constexpr bool admitsType() {
        if constexpr (requires { E::markupKind; }) {
            return isBlock(E::markupKind);
        } else {
            return std::is_same_v<E, BlockMarkup>;
        }
    }
    static constexpr std::string_view typeName() noexcept { return "BlockMarkup"; }

  private:
    friend struct detail::ElementAccess;
    explicit BlockMarkup(MarkupData data) noexcept : Markup(std::move(data)) {}
};

}  // namespace pindrake::markdown
