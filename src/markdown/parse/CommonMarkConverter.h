#pragma once

#include <string_view>

#include "markdown/parse/ParseOptions.h"
#include "markdown/tree/Document.h"
#include "markdown/tree/Url.h"

namespace pindrake::markdown {

// One cmark-gfm pass over a text with the table, strikethrough and task-list extensions,
// converted node by node into a new tree. The walk keeps its own stack of open nodes, so the
// depth of the text's nesting costs heap, never call stack.
Document parseWithCmark(std::string_view text, const Url& source, ParseOptions options);

// The same pass for a run of lines that goes into a larger document: the document node, never
// published, and every node below it fresh, so the caller may still settle their ranges.
struct FreshCmarkRun {
    static RawMarkupPtr parse(std::string_view text, const Url& source, ParseOptions options);
};

}  // namespace pindrake::markdown
