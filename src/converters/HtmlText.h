#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "foundation/BackgroundTask.h"

namespace pindrake::converters {

// The text a browser would show for an HTML document, without markup: entities decoded, white
// space collapsed outside preformatted text, one line per block and per line break, table cells
// separated by tabs, scripts and styles left out. Fetches nothing. Nothing when the HTML is
// over 8 MiB, the parser could not build its tree in bounded time and memory, `stop` was
// cancelled, or the page shows no text.
std::optional<std::string> textFromHtml(std::string_view html, const CancellationToken& stop);

}  // namespace pindrake::converters
