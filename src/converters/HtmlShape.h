#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace pindrake::converters {

// How large the tree of an HTML document gets once parsed as a browser parses it: the nodes it
// holds (elements, text and comments) and how deeply its elements nest. Formatting elements left
// open are cloned into every later block, so a small input can make a large tree.
struct HtmlShape {
    std::size_t nodes = 0;
    std::size_t depth = 0;
};

// Nothing when the parser could not build the tree in bounded time and memory.
std::optional<HtmlShape> parsedShape(std::string_view html);

}  // namespace pindrake::converters
