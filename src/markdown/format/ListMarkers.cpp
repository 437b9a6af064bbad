#include "markdown/format/ListMarkers.h"

#include "markdown/tree/ListItem.h"
#include "markdown/tree/OrderedList.h"
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

}  // namespace pindrake::markdown::detail
