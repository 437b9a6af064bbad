#include "markdown/format/SiblingBreaks.h"

#include "markdown/format/HTMLBlockStarts.h"
#include "markdown/format/ListMarkers.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/tree/BlockQuote.h"
#include "markdown/tree/HTMLBlock.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/Paragraph.h"
#include "markdown/tree/Table.h"

namespace pindrake::markdown::detail {

namespace {

bool isListOrQuote(const Markup& block) {
    constexpr std::uint64_t kinds = kindSet(K::orderedList, K::unorderedList, K::blockQuote);
    return (kindBit(block.kind()) & kinds) != 0;
}

// Whether the block's last line is a paragraph's, down through lists, items and quotes: a plain
// line after it would continue that paragraph lazily. Each block is walked down from at most
// one sibling, the one whose last descendant it is, so the walks cost the tree's size at most.
bool endsInParagraph(const Markup& block) {
    Markup last = block;
    while (isListOrQuote(last) || last.is<ListItem>()) {
        auto child = last.child(last.childCount() - 1);
        if (!child)
            return false;
        last = std::move(*child);
    }
    return last.is<Paragraph>();
}

// Whether the block's first line ends the paragraph or table before it.
bool interrupts(const Markup& block, const Markup& previous,
                const MarkupFormatterOptions& options) {
    switch (block.kind()) {
        case K::codeBlock:
        case K::thematicBreak:
        case K::blockQuote:
            return true;
        case K::heading:
            return !MarkupFormatter::holdsBreak(block.raw());
        case K::orderedList:
        case K::unorderedList: {
            const auto first = block.child(0);
            const auto item = first ? first->as<ListItem>() : std::nullopt;
            return item && mayInterruptParagraph(*item, options, true);
        }
        case K::htmlBlock:
            return htmlInterruptsParagraph(block.as<HTMLBlock>()->rawHTML());
        case K::table:
            // A table's head row may follow a paragraph's last line, not a table's, which
            // would take it as a row.
            return previous.is<Paragraph>();
        default:
            return false;
    }
}

// After a list or a quote ending in a paragraph, a line that opens any block leaves the paragraph
// to its container: only a line of plain text is taken in lazily, the first line of a paragraph,
// of a table or of an underlined heading.
bool mayFollowLazyParagraph(const Markup& block) {
    switch (block.kind()) {
        case K::paragraph:
        case K::table:
            return false;
        case K::heading:
            return !MarkupFormatter::holdsBreak(block.raw());
        default:
            return true;
    }
}

}  // namespace

SiblingBreak siblingBreak(const Markup& block, bool inCommandLines,
                          const MarkupFormatterOptions& options) {
    if (!inCommandLines)
        return SiblingBreak::blankLine;
    const auto parent = block.parent();
    const auto previous = parent ? parent->child(block.indexInParent() - 1) : std::nullopt;
    if (!previous || (previous->is<BlockQuote>() && block.is<BlockQuote>()))
        return SiblingBreak::blankLine;
    if (const auto html = previous->as<HTMLBlock>())
        return htmlEndsWithItsLastLine(html->rawHTML()) ? SiblingBreak::nextLine
                                                        : SiblingBreak::blankLine;
    if (isListOrQuote(*previous)) {
        if (!endsInParagraph(*previous))
            return SiblingBreak::nextLine;
        return mayFollowLazyParagraph(block) ? SiblingBreak::interruptingLine
                                             : SiblingBreak::blankLine;
    }
    if (!previous->is<Paragraph>() && !previous->is<Table>())
        return SiblingBreak::nextLine;
    return interrupts(block, *previous, options) ? SiblingBreak::interruptingLine
                                                 : SiblingBreak::blankLine;
}

}  // namespace pindrake::markdown::detail
