#include "markdown/tree/PlainText.h"

#include <vector>

namespace pindrake::markdown {

namespace {

// Appends the text of an inline leaf; false for any other node.
bool appendLeafText(std::string& out, const RawMarkup& node) {
    switch (node.kind()) {
        case MarkupKind::text:
            out += node.payload<payload::Text>().text;
            return true;
        case MarkupKind::inlineHTML:
            out += node.payload<payload::InlineHTML>().html;
            return true;
        case MarkupKind::customInline:
            out += node.payload<payload::CustomInline>().text;
            return true;
        case MarkupKind::inlineCode:
            out += '`';
            out += node.payload<payload::InlineCode>().code;
            out += '`';
            return true;
        case MarkupKind::symbolLink:
            out += "``";
            out += node.payload<payload::SymbolLink>().destination.value_or("");
            out += "``";
            return true;
        case MarkupKind::lineBreak:
            out += '\n';
            return true;
        case MarkupKind::softBreak:
            out += ' ';
            return true;
        default:
            return false;
    }
}

void appendStrikethroughMark(std::string& out, const RawMarkup& node) {
    if (node.kind() == MarkupKind::strikethrough)
        out += '~';
}

}  // namespace

std::string plainText(const RawMarkup& node) {
    std::string out;
    if (appendLeafText(out, node))
        return out;

    struct Open {
        const RawMarkup* node;
        std::size_t next;
    };
    std::vector<Open> open{{&node, 0}};
    appendStrikethroughMark(out, node);
    while (!open.empty()) {
        const RawMarkup& container = *open.back().node;
        auto children = container.children();
        std::size_t& next = open.back().next;
        if (next == children.size()) {
            appendStrikethroughMark(out, container);
            open.pop_back();
            continue;
        }
        const RawMarkup& child = *children[next++];
        if (!isInline(child.kind()) || appendLeafText(out, child))
            continue;
        appendStrikethroughMark(out, child);
        open.push_back({&child, 0});
    }
    return out;
}

}  // namespace pindrake::markdown
