#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "foundation/BackgroundTask.h"

namespace pindrake::converters {

// How large the tree of an HTML document gets once parsed as a browser parses it: the nodes it
// holds (elements, text and comments) and how deeply its elements nest. Formatting elements left
// open are cloned into every later block, so a small input can make a large tree.
struct HtmlShape {
    std::size_t nodes = 0;
    std::size_t depth = 0;
    // The bytes copied in all by a converter that builds each element's text from copies of its
    // children's: every node's text (a byte at least) once per element it is in, each time with
    // the prefix its lines get from the list items (four bytes) and quotes (two) around it. Grows
    // with depth times text, and with the cube of the depth for nested lists.
    std::size_t copiedBytes = 0;
};

// Nothing when the parser could not build the tree in bounded time and memory, or `stop` was
// cancelled.
std::optional<HtmlShape> parsedShape(std::string_view html, const CancellationToken& stop);

}  // namespace pindrake::converters
