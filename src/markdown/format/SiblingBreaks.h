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
// ends the command, so there a block that can interrupt a paragraph starts on the next line,
// as a list in an item does, and after code, a heading or a thematic break any block does.
// A block the lines cannot hold there keeps its blank line and reads back outside the command:
// a paragraph after a paragraph, a list, a quote or a table, whose lines it would join; a quote
// after a quote, which it would join; anything after HTML, which only a blank line ends; a list
// whose first item cannot interrupt a paragraph; a table but after a paragraph, its head row
// then taken in as text or as a row; a heading holding a break after a paragraph, as its
// underlined form would take the paragraph in.
SiblingBreak siblingBreak(const Markup& block, bool inCommandLines,
                          const MarkupFormatterOptions& options);

}  // namespace pindrake::markdown::detail
