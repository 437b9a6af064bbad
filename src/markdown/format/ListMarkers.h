#pragma once

#include <optional>
#include <string>

#include "markdown/format/MarkupFormatterOptions.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/Markup.h"

namespace pindrake::markdown::detail {

// The marker that starts a list item ("- ", "3. "), or none for an item outside a list; the
// item's continuation lines are indented by the marker's length. A list right after a list of
// its kind takes the other marker ("* " or "3) ", as wide): with the same one the two would read
// back as one list.
std::optional<std::string> listItemMarker(const Markup& item, const MarkupFormatterOptions& options,
                                          bool otherMarker = false);

// Whether the item's first block starts on the line after its marker: after a checkbox any
// block but a paragraph would read as the paragraph's text; on the marker's line a fence
// escapes the directive reader, which would then read code lines starting with "@" as
// directives, a nested task item loses its checkbox, and indented code of dashes or stars
// may read as a thematic break. In a Doxygen command's lines code stays on the marker's line,
// fenced where indented code would not read back there: a marker alone could not interrupt a
// paragraph, and the command's reader keeps the fence's lines apart.
bool firstBlockOnNextLine(const ListItem& item, const MarkupFormatterOptions& options,
                          bool inCommandLines = false);

// Whether nothing but the item's marker stands on its line: an empty item, or one whose first
// block starts on the next line.
bool markerStandsAlone(const ListItem& item, const MarkupFormatterOptions& options,
                       bool inCommandLines);

// Whether a list opening with this item may interrupt a paragraph: not with a number other than
// 1, nor with its marker alone on its line, which would read as the paragraph's text or, as
// "-", underline it.
bool mayInterruptParagraph(const ListItem& item, const MarkupFormatterOptions& options,
                           bool inCommandLines);

}  // namespace pindrake::markdown::detail
