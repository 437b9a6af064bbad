#pragma once

#include "markdown/parse/ParseOptions.h"

namespace pindrake::markdown {

// The cmark option bits a parse runs with: table spans always, smart punctuation and source
// positions unless the options switch them off.
int cmarkOptionsFor(ParseOptions options) noexcept;

}  // namespace pindrake::markdown
