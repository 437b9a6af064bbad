#include "markdown/tree/Markup.h"

#include <string>

namespace pindrake::markdown {

std::optional<Markup> Markup::parent() const {
    auto parent = data_.parent();
    if (!parent)
        return std::nullopt;
    return Markup(std::move(*parent));
}

Markup Markup::root() const {
    MarkupData current = data_;
    while (auto up = current.parent()) {
        current = std::move(*up);
    }
    return Markup(std::move(current));
}

std::optional<Markup> Markup::child(std::int64_t index) const {
    if (index < 0 || index >= childCount())
        return std::nullopt;
    const std::int64_t childId = identifier().childId + raw().childOffset(index);
    return Markup(detail::MarkupChildLinker::childData(
        childLink_.linkFor(data_), &raw().child(index), {{identifier().rootId, childId}, index}));
}

std::optional<Markup> Markup::childThrough(const TypedChildIndexPath& path) const {
    Markup current = *this;
    for (const auto& step : path.elements) {
        auto next = current.child(step.index);
        if (!next)
            return std::nullopt;
        if (step.expectedKind && next->kind() != *step.expectedKind)
            return std::nullopt;
        current = std::move(*next);
    }
    return current;
}

std::optional<Markup> Markup::childThrough(std::span<const std::int64_t> path) const {
    Markup current = *this;
    for (std::int64_t index : path) {
        auto next = current.child(index);
        if (!next)
            return std::nullopt;
        current = std::move(*next);
    }
    return current;
}

void Markup::replaceRawChildren(std::int64_t lower, std::int64_t upper,
                                std::vector<RawMarkupPtr> incoming) {
    auto current = raw().children();
    const auto count = static_cast<std::int64_t>(current.size());
    require(0 <= lower && lower <= upper && upper <= count,
            "replacement range lies outside the children");
    std::vector<RawMarkupPtr> children;
    children.reserve(current.size() - static_cast<std::size_t>(upper - lower) + incoming.size());
    children.insert(children.end(), current.begin(), current.begin() + lower);
    std::move(incoming.begin(), incoming.end(), std::back_inserter(children));
    children.insert(children.end(), current.begin() + upper, current.end());
    replaceNode(raw().copyWithChildren(raw().parsedRange(), std::move(children)));
}

MarkupChildren::MarkupChildren(const MarkupData& parent, const detail::ChildLinkCache& links)
    : count_(parent.raw().childCount()),
      parentId_(parent.metadata().id),
      parentSubtreeCount_(parent.raw().subtreeCount()) {
    if (count_ > 0) {
        link_ = links.sequenceLinkFor(parent);
        slots_ = parent.raw().children().data();
    }
}

namespace detail {

std::optional<SourceRange> rangeSpannedBy(std::span<const RawMarkupPtr> children) {
    if (children.empty())
        return std::nullopt;
    const RawMarkup& first = *children.front();
    const RawMarkup& last = *children.back();
    if (!first.hasParsedRange() || !last.hasParsedRange())
        return std::nullopt;
    // Children taken from different places may be out of source order: then no range.
    return SourceRange::make(first.parsedRange()->start(), last.parsedRange()->end());
}

MarkupData newTree(RawMarkupData data, std::vector<RawMarkupPtr> children,
                   bool inheritSourceRange) {
    auto range = inheritSourceRange ? rangeSpannedBy(children) : std::nullopt;
    return MarkupData::makeRoot(
        RawMarkup::create(std::move(data), std::move(range), std::move(children)));
}

void stopOnWrongChild(MarkupKind kind, std::string_view expected) {
    stopOnMisuse("a child of kind " + std::string(caseName(kind)) + " is not a " +
                 std::string(expected));
}

}  // namespace detail

}  // namespace pindrake::markdown
