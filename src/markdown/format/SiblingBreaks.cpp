#include "markdown/format/SiblingBreaks.h"

#include "markdown/format/HTMLBlockStarts.h"
#include "markdown/format/ListMarkers.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/tree/BlockQuote.h"
#include "markdown/tree/HTMLBlock.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/Paragraph.h"

namespace pindrake::markdown::detail {

namespace {

// Whether a plain line right after the block would still belong to it: as a paragraph's lazy
// continuation (in a list or a quote too) or as a table's row.
bool takesFollowingLine(const Markup& block) {
    constexpr std::uint64_t taking =
        kindSet(K::paragraph, K::orderedList, K::unorderedList, K::blockQuote, K::table);
    return (kindBit(block.kind()) & taking) != 0;
}

// Whether the block's first line ends the paragraph, list, quote or table before it.
bool interrupts(const Markup& block, const Markup& previous,
                const MarkupFormatterOptions& options) {
    switch (block.kind()) {
        case K::codeBlock:
        case K::thematicBreak:
            return true;
        case K::heading:
            return !MarkupFormatter::holdsBreak(block.raw());
        case K::blockQuote:
            return !previous.is<BlockQuote>();
        case K::orderedList:
        case K::unorderedList: {
            const auto first = block.child(0);
            const auto item = first ? first->as<ListItem>() : std::nullopt;
            return item && mayInterruptParagraph(*item, options);
        }
        case K::htmlBlock:
            return htmlInterruptsParagraph(block.as<HTMLBlock>()->rawHTML());
        case K::table:
            // A table's head row may follow a paragraph's last line, not a list's or a quote's,
            // which would take it in, nor a table's, which would take it as a row.
            return previous.is<Paragraph>();
        default:
            return false;
    }
}

}  // namespace

SiblingBreak siblingBreak(const Markup& block, bool inCommandLines,
                          const MarkupFormatterOptions& options) {
    if (!inCommandLines)
        return SiblingBreak::blankLine;
    const auto parent = block.parent();
    const auto previous = parent ? parent->child(block.indexInParent() - 1) : std::nullopt;
    if (!previous || previous->kind() == K::htmlBlock)
        return SiblingBreak::blankLine;
    if (!takesFollowingLine(*previous))
        return SiblingBreak::nextLine;
    return interrupts(block, *previous, options) ? SiblingBreak::interruptingLine
                                                 : SiblingBreak::blankLine;
}

}  // namespace pindrake::markdown::detail
