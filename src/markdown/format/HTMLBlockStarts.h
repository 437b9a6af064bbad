#pragma once

#include <string_view>

namespace pindrake::markdown::detail {

// Whether an HTML block of this text may start on the line after a paragraph's: it opens with a
// comment, a processing instruction, a declaration, character data, a tag that holds raw text
// ("<pre", "<script", "<style") or a tag of a block element ("<div", "</p"). A lone tag of any
// other name cannot: the parser reads it as the paragraph's text.
bool htmlInterruptsParagraph(std::string_view rawHTML);

// Whether an HTML block of this text ends with its last line, so that a block may follow on the
// next line: it opens with a comment, a processing instruction, a declaration, character data or
// a raw-text tag, and its last line holds what closes that opening ("-->", "?>", ">", "]]>",
// "</pre>"...). Other HTML blocks end only at a blank line.
bool htmlEndsWithItsLastLine(std::string_view rawHTML);

}  // namespace pindrake::markdown::detail
