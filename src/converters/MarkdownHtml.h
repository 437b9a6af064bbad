#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::converters {

// CommonMark to HTML with the library's defaults: no extensions, no smart punctuation, raw HTML
// left out as a comment. Nothing when the renderer yields no HTML at all, or when the Markdown
// is larger than 4 MiB or holds over 1,000,000 line ends and marks that open elements.
std::optional<std::string> htmlFromMarkdown(std::string_view markdown);

}  // namespace pindrake::converters
