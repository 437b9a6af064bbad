#include "converters/HtmlShape.h"

#include <algorithm>
#include <vector>

#include "converters/GumboArena.h"

namespace pindrake::converters {

std::optional<HtmlShape> parsedShape(std::string_view html) {
    GumboArena arena;
    const GumboOutput* output = arena.parse(html);
    if (!output)
        return std::nullopt;
    HtmlShape shape;
    // Each element with the depth it is at; walked without recursion, whatever the depth.
    std::vector<std::pair<const GumboNode*, std::size_t>> waiting{{output->root, 1}};
    while (!waiting.empty()) {
        const auto [element, depth] = waiting.back();
        waiting.pop_back();
        ++shape.nodes;
        shape.depth = std::max(shape.depth, depth);
        const GumboVector& children = element->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE)
                waiting.emplace_back(child, depth + 1);
            else
                ++shape.nodes;
        }
    }
    return shape;
}

}  // namespace pindrake::converters
