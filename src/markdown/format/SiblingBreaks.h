#pragma once

#include "markdown/format/MarkupFormatterOptions.h"
#include "markdown/tree/Markup.h"

namespace pindrake::markdown::detail {

// How a block is set apart from the sibling before it.
enum class SiblingBreak {
    // A blank line, as blocks are everywhere but in a Doxygen command's lines.
    blankLine,
    // The next line: the sibling before takes no line after it.
    nextLine,
    // The next line, where the block must interrupt the paragraph that would otherwise take the
    // line in: a heading in its one-line form, a thematic break not drawn with hyphens.
    interruptingLine,
};

// Whether the element is one of the Doxygen commands.
inline bool isDoxygenCommand(const Markup& element) {
    constexpr std::uint64_t commands = kindSet(K::doxygenAbstract, K::doxygenDiscussion,
                                               K::doxygenNote, K::doxygenParam, K::doxygenReturns);
    return (kindBit(element.kind()) & commands) != 0;
}

// Whether a blank line among the lines of the element's children ends a Doxygen command: in the
// command itself and in the lists within it, but not in a quote, whose blank lines carry its
// marker. `inCommandLines` tells the same of the element's own lines. Asked of every element
// formatted, so kept inline.
inline bool childLinesInCommand(const Markup& element, bool inCommandLines) {
    return isDoxygenCommand(element) || (inCommandLines && element.kind() != K::blockQuote);
}

// The break before a block that follows a sibling. In a Doxygen command's lines a blank line
// ends the command, so there a block starts on the next line wherever that reads back: after
// code, a heading, a thematic break or HTML that ends with its last line, any block; after a
// paragraph or a table, a block that can interrupt a paragraph, as a list in an item does; after
// a list or a quote, any block unless it ends in a paragraph, and then any block but one whose
// first line would continue that paragraph.
// A block the lines cannot hold there keeps its blank line and reads back outside the command:
// - anything after HTML that only a blank line ends (a block element's or another tag, or an
//   opening not closed on its last line);
// - a quote after a quote, which it would join;
// - after a paragraph or a table: a paragraph, which it would join or whose lines would be rows;
//   a heading holding a break, as its underlined form would take the paragraph in; a list whose
//   first item cannot interrupt a paragraph (empty, opening with a task list, numbered other
//   than 1);
//   HTML other than a comment, an instruction, a declaration, character data or a raw-text or
//   block element's tag;
// - after a table also a table, its head row then taken as a row;
// - after a list or a quote ending in a paragraph: a paragraph, a table or a heading holding a
//   break, whose first line that paragraph would take in.
SiblingBreak siblingBreak(const Markup& block, bool inCommandLines,
                          const MarkupFormatterOptions& options);

}  // namespace pindrake::markdown::detail
