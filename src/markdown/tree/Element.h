#pragma once

#include <array>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "markdown/tree/Markup.h"

namespace pindrake::markdown {

// What every concrete element type shares: its kind, wrapping a node as a new tree, reading
// its own payload and rebuilding its node. Element types add no data of their own.
//
template <class Derived, MarkupKind Kind>
class Element : public Markup {
  public:
    static constexpr MarkupKind markupKind = Kind;
    using Payload = PayloadOf<Kind>;

    static constexpr bool admits(MarkupKind kind) noexcept { return kind == Kind; }
    template <class E>
    static constexpr bool admitsType() {
        return std::is_same_v<E, Derived>;
    }
    static std::string_view typeName() noexcept { return elementTypeName(Kind); }

    // The node as the root of a new tree. Throws RawMarkup::Error when its kind differs.
    static Derived wrap(RawMarkupPtr node) {
        require(node != nullptr, "an element needs a node");
        if (node->kind() != Kind)
            throw RawMarkup::Error(std::move(node), typeName());
        return detail::ElementAccess::make<Derived>(MarkupData::makeRoot(std::move(node)));
    }

  protected:
    explicit Element(MarkupData data) noexcept : Markup(std::move(data)) {}

    // A new tree whose root is a new node of this kind, without a range.
    static MarkupData newTree(Payload payload, std::vector<RawMarkupPtr> children = {}) {
        return detail::newTree(std::move(payload), std::move(children), false);
    }
    // The same, with the range spanned by the children when asked for.
    static MarkupData newTreeSpanning(Payload payload, std::vector<RawMarkupPtr> children,
                                      bool inheritSourceRange) {
        return detail::newTree(std::move(payload), std::move(children), inheritSourceRange);
    }

    const Payload& payload() const { return raw().template payload<Payload>(); }

    // Rebuilds the node with new data and the same children. The new node has no range: it no
    // longer stands for the source text.
    void replacePayload(Payload payload) {
        replaceNode(RawMarkup::create(std::move(payload), std::nullopt, rawChildren()));
    }
};

// Children given one by one to an element of type E whose children are of type X. One argument
// of type E itself is left to the copy constructor, so that E{e} means a copy whichever the
// compiler (an initializer-list constructor would make it a nesting under some).
template <class E, class X, class... C>
concept ChildElements = (ConvertibleElement<C, X> && ...) &&
                        !(sizeof...(C) == 1 && (std::same_as<std::remove_cvref_t<C>, E> && ...));

namespace detail {
template <class X, class... C>
std::array<X, sizeof...(C)> childArray(C&&... children) {
    return {X(std::forward<C>(children))...};
}

// Link and image texts given by hand: an empty text is stored as absent.
inline std::optional<std::string> absentIfEmpty(std::optional<std::string>&& text) {
    std::optional<std::string> kept;
    if (text && !text->empty())
        kept.emplace(std::move(*text));
    return kept;
}

// In-place modification of a field: read, let the caller change it, and write it back, also
// when the caller's change ends in an exception.
template <class Value, class Set, class Change>
void modifyField(Value value, Set&& set, Change&& change) {
    try {
        change(value);
    } catch (...) {
        set(std::move(value));
        throw;
    }
    set(std::move(value));
}
}  // namespace detail

}  // namespace pindrake::markdown
