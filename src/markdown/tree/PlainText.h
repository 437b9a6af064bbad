#pragma once

#include <string>

#include "markdown/tree/RawMarkup.h"

namespace pindrake::markdown {

// The plain text of a node: an inline leaf's own text (a soft break as a space, a line break
// as a line feed, inline code and symbol links with their backticks), a container's inline
// children's plain texts joined, a strikethrough's between two tildes. Children that are not
// inline elements contribute nothing. Works without recursion, so deeply nested spans are fine.
std::string plainText(const RawMarkup& node);

}  // namespace pindrake::markdown
