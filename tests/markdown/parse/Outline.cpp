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

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::string payloadLabel(const RawMarkupData& data) {
    const auto pair = [](const std::optional<std::string>& a, const std::optional<std::string>& b) {
        return "(" + optional(a) + "|" + optional(b) + ")";
    };
    return std::visit(
        Overloaded{
            [](const payload::Text& p) { return quoted(p.text); },
            [](const payload::CustomInline& p) { return quoted(p.text); },
            [](const payload::InlineCode& p) { return quoted(p.code); },
            [](const payload::HTMLBlock& p) { return quoted(p.html); },
            [](const payload::InlineHTML& p) { return quoted(p.html); },
            [](const payload::InlineAttributes& p) { return quoted(p.attributes); },
            [](const payload::DoxygenParam& p) { return quoted(p.name); },
            [](const payload::SymbolLink& p) { return quoted(optional(p.destination)); },
            [](const payload::CodeBlock& p) {
                return "(" + optional(p.language) + ")" + quoted(p.code);
            },
            [](const payload::Heading& p) { return std::to_string(p.level); },
            [](const payload::OrderedList& p) { return std::to_string(p.startIndex); },
            [](const payload::ListItem& p) -> std::string {
                if (!p.checkbox)
                    return "";
                return *p.checkbox == Checkbox::checked ? "[x]" : "[ ]";
            },
            [&](const payload::Link& p) { return pair(p.destination, p.title); },
            [&](const payload::Image& p) { return pair(p.source, p.title); },
            [](const payload::Table& p) { return "(" + alignmentLetters(p) + ")"; },
            [](const payload::TableCell& p) {
                return std::to_string(p.colspan) + "x" + std::to_string(p.rowspan);
            },
            [](const payload::BlockDirective& p) {
                std::string text = "@" + p.name + "(";
                for (const auto& segment : p.arguments.segments)
                    text += "[" + std::string(segment.trimmedText()) + "]";
                return text + ")";
            },
            [](const auto&) { return std::string(); },
        },
        data);
}

namespace {

std::string rangeText(const RawMarkup& node) {
    const auto range = node.parsedRange();
    if (!range)
        return "-";
    return std::to_string(range->start().line) + ":" + std::to_string(range->start().column) + "-" +
           std::to_string(range->end().line) + ":" + std::to_string(range->end().column);
}

}  // namespace

std::string outline(const RawMarkup& node) {
    std::string text = std::string(caseName(node.kind())) + payloadLabel(node.data());
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

std::vector<const RawMarkup*> preorder(const RawMarkup& root) {
    std::vector<const RawMarkup*> nodes;
    std::vector<const RawMarkup*> pending{&root};
    while (!pending.empty()) {
        nodes.push_back(pending.back());
        pending.pop_back();
        const auto children = nodes.back()->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
    return nodes;
}

std::string rangeList(const RawMarkup& node) {
    std::string text;
    for (const RawMarkup* current : preorder(node)) {
        if (!text.empty())
            text += "; ";
        text += std::string(caseName(current->kind())) + " " + rangeText(*current);
    }
    return text;
}

}  // namespace pindrake::markdown::testing
