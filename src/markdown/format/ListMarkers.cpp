#include "markdown/format/ListMarkers.h"

#include "markdown/format/CodeDelimiters.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/tree/CodeBlock.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/OrderedList.h"
#include "markdown/tree/Paragraph.h"
#include "markdown/tree/UnorderedList.h"

namespace pindrake::markdown::detail {

namespace {

// A bullet other than the preferred one and the thematic break's character, so that an item
// opening with a break does not read as a break itself.
std::string_view otherBullet(const MarkupFormatterOptions& options) {
    const std::string_view preferred = rawValue(options.unorderedListMarker);
    const std::string_view rule = rawValue(options.thematicBreakCharacter);
    for (std::string_view bullet : {"-", "*", "+"}) {
        if (bullet != preferred && bullet != rule)
            return bullet;
    }
    return "+";
}

// Whether the block is a list whose first item is a task item: cmark-gfm reads a checkbox only
// where the item's marker starts its line's content.
bool opensWithTaskItem(const Markup& block) {
    if (!block.is<UnorderedList>() && !block.is<OrderedList>())
        return false;
    const auto item = block.child(0);
    const auto listItem = item ? item->as<ListItem>() : std::nullopt;
    return listItem && listItem->checkbox();
}

// Whether the code's first line holds only thematic break characters and blanks: after a
// bullet it could read as a thematic break ("-     --"), taking the item and its code with it.
bool startsLikeBreak(const CodeBlock& code) {
    const auto lines = MarkupFormatter::trimmedLines(code.code());
    return !lines.empty() && lines.front().find_first_not_of("-*_ \t") == std::string_view::npos;
}

}  // namespace

std::optional<std::string> listItemMarker(const Markup& item, const MarkupFormatterOptions& options,
                                          bool otherMarker) {
    auto list = item.parent();
    if (!list)
        return std::nullopt;
    if (list->is<UnorderedList>()) {
        return std::string(otherMarker ? otherBullet(options)
                                       : rawValue(options.unorderedListMarker)) +
               " ";
    }
    if (!list->is<OrderedList>())
        return std::nullopt;
    const auto& numerals = options.orderedListNumerals;
    std::uint64_t number = numerals.number;
    if (numerals.kind == MarkupFormatterOptions::OrderedListNumerals::Kind::incrementing)
        number += static_cast<std::uint64_t>(item.indexInParent());
    return std::to_string(number) + (otherMarker ? ") " : ". ");
}

bool firstBlockOnNextLine(const ListItem& item, const MarkupFormatterOptions& options,
                          bool inCommandLines) {
    const auto first = item.child(0);
    if (!first)
        return false;
    if (item.checkbox())
        return !first->is<Paragraph>();
    if (const auto code = first->as<CodeBlock>())
        return !inCommandLines && (fencedWherever(*code, options) || startsLikeBreak(*code));
    return opensWithTaskItem(*first);
}

bool markerStandsAlone(const ListItem& item, const MarkupFormatterOptions& options,
                       bool inCommandLines) {
    return !item.checkbox() &&
           (item.childCount() == 0 || firstBlockOnNextLine(item, options, inCommandLines));
}

bool mayInterruptParagraph(const ListItem& item, const MarkupFormatterOptions& options,
                           bool inCommandLines) {
    const auto list = item.parent();
    if (list && list->is<OrderedList>() && options.orderedListNumerals.number != 1)
        return false;
    return !markerStandsAlone(item, options, inCommandLines);
}

}  // namespace pindrake::markdown::detail
