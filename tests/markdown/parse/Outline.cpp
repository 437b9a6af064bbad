#include "markdown/parse/Outline.h"

#include <utility>
#include <variant>
#include <vector>

namespace pindrake::markdown::testing {

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string optional(const std::optional<std::string>& text) {
    return text ? *text : "-";
}

std::string alignmentLetters(const payload::Table& table) {
    std::string letters;
    for (const auto& alignment : table.columnAlignments) {
        if (!alignment)
            letters += '-';
        else
            letters += *alignment == ColumnAlignment::left     ? 'l'
                       : *alignment == ColumnAlignment::center ? 'c'
                                                               : 'r';
    }
    return letters;
}

std::string label(const RawMarkup& node) {
    std::string name(caseName(node.kind()));
    const RawMarkupData data = node.data();
    std::visit(
        [&]<class P>(const P& p) {
            if constexpr (std::is_same_v<P, payload::Text> ||
                          std::is_same_v<P, payload::HTMLBlock> ||
                          std::is_same_v<P, payload::InlineHTML> ||
                          std::is_same_v<P, payload::InlineCode> ||
                          std::is_same_v<P, payload::CustomInline>) {
                name += quoted([&] {
                    if constexpr (std::is_same_v<P, payload::Text>)
                        return p.text;
                    else if constexpr (std::is_same_v<P, payload::InlineCode>)
                        return p.code;
                    else if constexpr (std::is_same_v<P, payload::CustomInline>)
                        return p.text;
                    else
                        return p.html;
                }());
            } else if constexpr (std::is_same_v<P, payload::SymbolLink>) {
                name += quoted(optional(p.destination));
            } else if constexpr (std::is_same_v<P, payload::CodeBlock>) {
                name += "(" + optional(p.language) + ")" + quoted(p.code);
            } else if constexpr (std::is_same_v<P, payload::Heading>) {
                name += std::to_string(p.level);
            } else if constexpr (std::is_same_v<P, payload::OrderedList>) {
                name += std::to_string(p.startIndex);
            } else if constexpr (std::is_same_v<P, payload::ListItem>) {
                if (p.checkbox)
                    name += *p.checkbox == Checkbox::checked ? "[x]" : "[ ]";
            } else if constexpr (std::is_same_v<P, payload::Link> ||
                                 std::is_same_v<P, payload::Image>) {
                if constexpr (std::is_same_v<P, payload::Link>)
                    name += "(" + optional(p.destination) + "|" + optional(p.title) + ")";
                else
                    name += "(" + optional(p.source) + "|" + optional(p.title) + ")";
            } else if constexpr (std::is_same_v<P, payload::InlineAttributes>) {
                name += quoted(p.attributes);
            } else if constexpr (std::is_same_v<P, payload::Table>) {
                name += "(" + alignmentLetters(p) + ")";
            } else if constexpr (std::is_same_v<P, payload::BlockDirective>) {
                name += "@" + p.name + "(";
                for (const auto& segment : p.arguments.segments)
                    name += "[" + std::string(segment.trimmedText()) + "]";
                name += ")";
            } else if constexpr (std::is_same_v<P, payload::DoxygenParam>) {
                name += quoted(p.name);
            } else if constexpr (std::is_same_v<P, payload::TableCell>) {
                name += std::to_string(p.colspan) + "x" + std::to_string(p.rowspan);
            }
        },
        data);
    return name;
}

std::string rangeText(const RawMarkup& node) {
    const auto range = node.parsedRange();
    if (!range)
        return "-";
    return std::to_string(range->start().line) + ":" + std::to_string(range->start().column) + "-" +
           std::to_string(range->end().line) + ":" + std::to_string(range->end().column);
}

}  // namespace

std::string outline(const RawMarkup& node) {
    std::string text = label(node);
    if (node.childCount() == 0)
        return text;
    text += "{";
    bool first = true;
    for (const RawMarkupPtr& child : node.children()) {
        if (!first)
            text += " ";
        first = false;
        text += outline(*child);
    }
    return text + "}";
}

std::string rangeList(const RawMarkup& node) {
    std::string text;
    std::vector<const RawMarkup*> pending{&node};
    while (!pending.empty()) {
        const RawMarkup* current = pending.back();
        pending.pop_back();
        if (!text.empty())
            text += "; ";
        text += std::string(caseName(current->kind())) + " " + rangeText(*current);
        const auto children = current->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
    return text;
}

}  // namespace pindrake::markdown::testing
