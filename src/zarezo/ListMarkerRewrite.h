#pragma once

#include <string>
#include <string_view>

namespace pindrake::zarezo {

// Rewrites the bullets of unordered list items to `bulletListMarker` and the gap after each to
// one space, without changing what the Markdown reads as: the item's other lines move left with
// its content, a list keeps its own bullet where the new one would merge it with the list beside
// it, and an item keeps its gap where its lines cannot move (quotes around it, tabs, lines that
// would join it). A thematic break that opens an item is drawn with another character when the
// new bullet would turn the line into a break. A marker other than a single "-", "+" or "*"
// leaves the Markdown as it is, and so does Markdown whose rewrite would differ as read with
// cmark-gfm's GFM extensions and without them (a table in a list item). Lines end at a line
// feed, a carriage return, or the pair, each kept as it was.
std::string postProcessMarkdown(std::string_view markdown, std::string_view bulletListMarker);

}  // namespace pindrake::zarezo
