#pragma once

#include <string_view>

namespace pindrake::clipboard {

// Whether the text, read as GitHub-flavoured Markdown (tables, strikethrough and task lists),
// has a top-level block other than a paragraph: a heading, list, block quote, code block,
// thematic break, HTML block or table. Emphasis, links or code inside paragraphs do not count.
// This is the one place the clipboard asks the question, so the parser behind it can change.
bool hasMarkdownBlockStructure(std::string_view text);

}  // namespace pindrake::clipboard
