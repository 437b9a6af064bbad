#pragma once

#include <optional>
#include <string>

#include "markdown/format/MarkupFormatterOptions.h"
#include "markdown/tree/Markup.h"

namespace pindrake::markdown::detail {

// The marker that starts a list item ("- ", "3. "), or none for an item outside a list; the
// item's continuation lines are indented by the marker's length. A list right after a list of
// its kind takes the other marker ("* " or "3) ", as wide): with the same one the two would read
// back as one list.
std::optional<std::string> listItemMarker(const Markup& item, const MarkupFormatterOptions& options,
                                          bool otherMarker = false);

}  // namespace pindrake::markdown::detail
