#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::converters {

// The text a browser would show for an HTML document, without markup: entities decoded, white
// space collapsed outside preformatted text, one line per block and per line break, table cells
// separated by tabs, scripts and styles left out. Fetches nothing. Nothing when the HTML is
// over 8 MiB or the parser could not build its tree in bounded time and memory.
std::optional<std::string> textFromHtml(std::string_view html);

}  // namespace pindrake::converters
