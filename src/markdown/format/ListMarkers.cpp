#include "markdown/format/ListMarkers.h"

#include "markdown/tree/ListItem.h"
#include "markdown/tree/OrderedList.h"
#include "markdown/tree/UnorderedList.h"

namespace pindrake::markdown::detail {

std::optional<std::string> listItemMarker(const Markup& item,
                                          const MarkupFormatterOptions& options) {
    auto list = item.parent();
    if (!list)
        return std::nullopt;
    if (list->is<UnorderedList>())
        return std::string(rawValue(options.unorderedListMarker)) + " ";
    if (!list->is<OrderedList>())
        return std::nullopt;
    const auto& numerals = options.orderedListNumerals;
    std::uint64_t number = numerals.number;
    if (numerals.kind == MarkupFormatterOptions::OrderedListNumerals::Kind::incrementing)
        number += static_cast<std::uint64_t>(item.indexInParent());
    return std::to_string(number) + ". ";
}

}  // namespace pindrake::markdown::detail
