#pragma once

#include <string_view>

namespace pindrake::markdown::detail {

// Whether a line that starts with this word (no space in it) could read back as the start of
// a block rather than as the continuation of a paragraph: a list item ("-", "+", "*", "1.",
// "1)"), a quote (">..."), a heading ("#", "##"), a thematic break or setext underline (a word
// of "-", "*", "_" or "=" only), a code fence, an HTML block ("<..."), a table's delimiter row
// ("|", ":-"), or a block directive or Doxygen command ("@...", "\..."). Errs on the side of
// yes: a wrong yes only keeps a word on a longer line.
bool opensBlock(std::string_view word);

// Whether a line ends in what reads as a task item's checkbox ("[x]", "[ ]") when it ends a
// line of the item's first paragraph.
bool endsInCheckbox(std::string_view line);

// The first word of a text: what stands before its first space or line break.
std::string_view firstWord(std::string_view text);

}  // namespace pindrake::markdown::detail
