#pragma once

#include <string_view>

#include "foundation/BackgroundTask.h"

namespace pindrake::converters {

// Whether the HTML parser builds the document's tree in bounded time and memory, judged from
// the tags alone, without parsing: the tree nests no deeper than 1,500 levels (the parser's
// memory grows with the square of the depth), and the parser's searches through the open
// elements, about one per tag, add up to no more than 100 million steps. Linear in the size of
// the HTML; false as soon as `stop` is cancelled.
bool parserCanTake(std::string_view html, const CancellationToken& stop);

}  // namespace pindrake::converters
