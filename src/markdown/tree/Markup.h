#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ranges>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "markdown/tree/MarkupData.h"
#include "markdown/tree/RawMarkup.h"

namespace pindrake::markdown {

class Markup;
class MarkupChildren;
struct TypedChildIndexPath;
template <class Result>
class MarkupVisitor;

namespace detail {
// Makes element values from placed data. Element types keep that constructor private, so only
// the tree itself can claim that a node is of an element's kind.
struct ElementAccess {
    template <class E>
    static E make(MarkupData data) {
        return E(std::move(data));
    }
    // Stops when the element type does not admit the node's kind.
    template <class E>
    static E checkedCast(Markup markup);
};
}  // namespace detail

// Whether a value of type Source may stand where Target is expected (a block element where a
// block is expected, for instance), decided at compile time.
template <class Source, class Target>
concept ConvertibleElement = std::derived_from<std::remove_cvref_t<Source>, Markup> &&
    Target::template admitsType<std::remove_cvref_t<Source>>();

// A range of elements that may all stand where Target is expected.
template <class R, class Target>
concept ElementRange =
    std::ranges::input_range<R> && ConvertibleElement<std::ranges::range_reference_t<R>, Target>;

// Any element of a Markdown tree: one node placed at one position of one tree. Values are
// cheap to copy (one counted reference) and never change the tree they view; every edit moves
// the edited value to a new tree and leaves the old one as it was.
class Markup {
  public:
    // The element over placed data, whatever its kind.
    explicit Markup(MarkupData data) noexcept : data_(std::move(data)) {}

    static constexpr bool admits(MarkupKind) noexcept { return true; }
    template <class E>
    static constexpr bool admitsType() {
        return true;
    }
    static constexpr std::string_view typeName() noexcept { return "Markup"; }

    MarkupKind kind() const noexcept { return data_.raw().kind(); }
    // The node, valid while this element lives.
    const RawMarkup& raw() const noexcept { return data_.raw(); }
    RawMarkupPtr rawPtr() const noexcept { return data_.rawPtr(); }
    const MarkupData& markupData() const noexcept { return data_; }
    const MarkupMetadata& metadata() const noexcept { return data_.metadata(); }
    const MarkupIdentifier& identifier() const noexcept { return data_.metadata().id; }
    std::int64_t indexInParent() const noexcept { return data_.metadata().indexInParent; }

    std::optional<Markup> parent() const;
    Markup root() const;
    std::optional<SourceRange> range() const { return raw().parsedRange(); }
    // Same tree and same position in it.
    bool isIdentical(const Markup& other) const noexcept {
        return identifier() == other.identifier();
    }
    bool hasSameStructure(const Markup& other) const { return raw().hasSameStructure(other.raw()); }
    // This element as the root of a tree of its own; a root comes back unchanged.
    Markup detachedFromParent() const { return Markup(data_.detachedFromParent()); }
    // This element with the given children (of any kind), in a new tree.
    template <ElementRange<Markup> R>
    Markup withUncheckedChildren(R&& children) const;
    Markup withUncheckedChildren(std::initializer_list<Markup> children) const {
        return withUncheckedChildren(std::span<const Markup>(children.begin(), children.size()));
    }

    std::int64_t childCount() const noexcept { return raw().childCount(); }
    bool isEmpty() const noexcept { return childCount() == 0; }
    // The child at that position, or none outside 0 ..< childCount (negative included).
    std::optional<Markup> child(std::int64_t index) const;
    MarkupChildren children() const;
    // The element reached by following child positions, each optionally of an expected kind;
    // none when a step leaves the tree or meets another kind.
    std::optional<Markup> childThrough(const TypedChildIndexPath& path) const;
    std::optional<Markup> childThrough(std::span<const std::int64_t> path) const;
    std::optional<Markup> childThrough(std::initializer_list<std::int64_t> path) const {
        return childThrough(std::span<const std::int64_t>(path.begin(), path.size()));
    }

    // Calls the visitor's operation for this element's kind with this element.
    template <class Result>
    Result accept(MarkupVisitor<Result>& visitor) const&;
    template <class Result>
    Result accept(MarkupVisitor<Result>& visitor) &&;

    // Type tests and conversions by kind (or kind set, for the block and inline categories).
    template <class E>
    bool is() const noexcept {
        return E::admits(kind());
    }
    template <class E>
    std::optional<E> as() const& {
        if (!E::admits(kind()))
            return std::nullopt;
        return detail::ElementAccess::make<E>(data_);
    }
    template <class E>
    std::optional<E> as() && {
        if (!E::admits(kind()))
            return std::nullopt;
        return detail::ElementAccess::make<E>(std::move(data_));
    }

  protected:
    friend struct detail::ElementAccess;

    // Calls the visitor's operation for this element's kind, on the current stack.
    template <class Result>
    Result dispatch(MarkupVisitor<Result>& visitor) &&;

    // Moves this element to a new tree in which the given node stands in its place.
    void replaceNode(RawMarkupPtr node) {
        data_ = data_.replacingSelf(std::move(node), false);
        childLink_.reset();
    }
    // Copies of the child references, in order.
    std::vector<RawMarkupPtr> rawChildren() const {
        auto children = raw().children();
        return {children.begin(), children.end()};
    }
    // Replaces the children at lower ..< upper by the given nodes, keeping this node's data and
    // range, and moves this element to the new tree. Stops when the range leaves the children.
    void replaceRawChildren(std::int64_t lower, std::int64_t upper,
                            std::vector<RawMarkupPtr> incoming);

    MarkupData data_;
    detail::ChildLinkCache childLink_;
};

// A path of child positions, each with the element kind it must have, if any.
struct TypedChildIndexPath {
    struct Element {
        std::int64_t index = 0;
        std::optional<MarkupKind> expectedKind;
    };

    TypedChildIndexPath() = default;
    TypedChildIndexPath(std::initializer_list<Element> steps) : elements(steps) {}
    explicit TypedChildIndexPath(std::vector<Element> steps) : elements(std::move(steps)) {}

    std::vector<Element> elements;
};

namespace detail {

// The nodes of the given elements, in order; the subtrees are shared, not copied.
template <class R>
std::vector<RawMarkupPtr> rawNodesOf(R&& elements) {
    std::vector<RawMarkupPtr> nodes;
    if constexpr (std::ranges::sized_range<R>)
        nodes.reserve(std::ranges::size(elements));
    for (auto&& element : elements) {
        nodes.push_back(static_cast<const Markup&>(element).rawPtr());
    }
    return nodes;
}

// The range from the first child's start to the last child's end; none without children,
// when either has no range, or when the children are out of source order.
std::optional<SourceRange> rangeSpannedBy(std::span<const RawMarkupPtr> children);

// The data of a new tree whose root is a new node; with inheritSourceRange, the node takes the
// range spanned by its children.
MarkupData newTree(RawMarkupData data, std::vector<RawMarkupPtr> children, bool inheritSourceRange);

[[noreturn]] void stopOnWrongChild(MarkupKind kind, std::string_view expected);

template <class E>
E ElementAccess::checkedCast(Markup markup) {
    if (!E::admits(markup.kind())) [[unlikely]] {
        stopOnWrongChild(markup.kind(), E::typeName());
    }
    return E(std::move(markup.data_));
}

}  // namespace detail

template <ElementRange<Markup> R>
Markup Markup::withUncheckedChildren(R&& children) const {
    RawMarkupPtr node = raw().copyWithChildren(raw().parsedRange(), detail::rawNodesOf(children));
    return Markup(data_.replacingSelf(std::move(node), false));
}

}  // namespace pindrake::markdown

#include "markdown/tree/MarkupChildren.h"
