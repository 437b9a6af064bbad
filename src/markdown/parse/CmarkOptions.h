#pragma once

#include <cmark-gfm.h>

#include "markdown/parse/ParseOptions.h"

namespace pindrake::markdown {

// The cmark option bits a parse runs with: table spans always, smart punctuation and source
// positions unless the options switch them off.
int cmarkOptionsFor(ParseOptions options) noexcept;

// A cmark parser with those bits and the GFM extensions every parse of ours attaches (tables,
// strikethrough, task lists), taking its memory from `memory`.
cmark_parser* newCmarkParser(ParseOptions options, cmark_mem* memory);

}  // namespace pindrake::markdown
