#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "markdown/parse/BlockDirectiveParser.h"

namespace pindrake::markdown {

// The container at `index` and everything in it as indented text, for inspection: one header
// line per container, argument pieces and lines in quotes below it.
std::string containerDescription(const std::vector<ParseContainer>& containers,
                                 std::size_t index = 0);

}  // namespace pindrake::markdown
