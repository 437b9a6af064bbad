#include "converters/HtmlShape.h"

#include <algorithm>
#include <vector>

#include "converters/GumboArena.h"

namespace pindrake::converters {
namespace {

std::size_t textBytes(const GumboNode& node) {
    switch (node.type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_COMMENT:
        case GUMBO_NODE_WHITESPACE:
            return std::string_view(node.v.text.text).size();
        default:
            return 0;
    }
}

// What the element puts before each line of its content in Markdown: list items indent it,
// quotes mark it.
std::size_t linePrefixBytes(const GumboNode& element) {
    switch (element.v.element.tag) {
        case GUMBO_TAG_LI:
            return 4;
        case GUMBO_TAG_BLOCKQUOTE:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

std::optional<HtmlShape> parsedShape(std::string_view html, const CancellationToken& stop) {
    GumboArena arena;
    const GumboOutput* output = arena.parse(html, stop);
    if (!output)
        return std::nullopt;
    HtmlShape shape;
    // Copied once into each element the node is in, with the prefixes its lines get there.
    const auto add = [&shape](const GumboNode& node, std::size_t depth, std::size_t prefix) {
        ++shape.nodes;
        shape.copiedBytes += (std::max<std::size_t>(textBytes(node), 1) + prefix) * depth;
    };
    struct Waiting {
        const GumboNode* element;
        std::size_t depth;
        std::size_t prefix;  // of each line inside the element
    };
    // Walked without recursion, whatever the depth.
    std::vector<Waiting> waiting{{output->root, 1, 0}};
    while (!waiting.empty()) {
        const Waiting at = waiting.back();
        waiting.pop_back();
        add(*at.element, at.depth, at.prefix);
        shape.depth = std::max(shape.depth, at.depth);
        const std::size_t prefix = at.prefix + linePrefixBytes(*at.element);
        const GumboVector& children = at.element->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE)
                waiting.push_back({child, at.depth + 1, prefix});
            else
                add(*child, at.depth + 1, prefix);
        }
    }
    return shape;
}

}  // namespace pindrake::converters
