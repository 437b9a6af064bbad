#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "markdown/tree/MarkupVisitor.h"

namespace pindrake::markdown::testing {

inline SourceRange span(std::int64_t line, std::int64_t column, std::int64_t endLine,
                        std::int64_t endColumn) {
    return SourceRange({line, column, {}}, {endLine, endColumn, {}});
}

// A node as the parser makes it: data, a range and children.
inline RawMarkupPtr node(RawMarkupData data, std::optional<SourceRange> range = std::nullopt,
                         std::vector<RawMarkupPtr> children = {}) {
    return RawMarkup::create(std::move(data), std::move(range), std::move(children));
}

inline RawMarkupPtr textNode(std::string text, std::optional<SourceRange> range = std::nullopt) {
    return node(payload::Text{std::move(text)}, std::move(range));
}

// "ab\n\n## h" as a parser would build it, with ranges on every node:
//   document 1:1-3:5
//     paragraph 1:1-1:3: text "a" 1:1-1:2, text "b" 1:2-1:3
//     heading(level 2) 3:1-3:5: text "h" 3:4-3:5
inline Document parsedDocument() {
    auto paragraph = node(payload::Paragraph{}, span(1, 1, 1, 3),
                          {textNode("a", span(1, 1, 1, 2)), textNode("b", span(1, 2, 1, 3))});
    auto heading = node(payload::Heading{2}, span(3, 1, 3, 5), {textNode("h", span(3, 4, 3, 5))});
    return Document::wrap(node(payload::Document{}, span(1, 1, 3, 5), {paragraph, heading}));
}

// The element of type E reached through the given child positions.
template <class E>
E elementAt(const Markup& root, std::initializer_list<std::int64_t> path) {
    auto found = root.childThrough(path);
    if (!found)
        throw std::logic_error("no element at that path");
    auto typed = std::move(*found).as<E>();
    if (!typed)
        throw std::logic_error("element of another kind at that path");
    return std::move(*typed);
}

}  // namespace pindrake::markdown::testing
