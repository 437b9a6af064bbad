#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::converters {

// The chat service's lightweight markup for an HTML text: code in backticks, bold in asterisks,
// italics in underscores, links as <target|text>, list items as bullets, the first table as a
// tab-separated code block, every other tag removed and the common entities decoded once.
// Elements are only rewritten when they open and close on one line. Nothing when the text is
// too large or too pathological to rewrite in bounded time.
std::optional<std::string> slackText(std::string_view html);

}  // namespace pindrake::converters
