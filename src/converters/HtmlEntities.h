#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace pindrake::converters::entities {

// An entity as written and the text it stands for.
using Entity = std::pair<std::string_view, std::string_view>;

// "&", "<", ">", the quotation mark and the apostrophe as entities.
std::string escaped(std::string_view text);
// "&amp;", "&lt;", "&gt;", "&quot;", "&#39;", "&#x27;" and "&apos;" back to their characters.
std::string unescaped(std::string_view text);
// Replaces each of `entities` in one left-to-right pass: what a replacement yields is never read
// again, so "&amp;lt;" becomes "&lt;", not "<".
std::string decodedOnce(std::string_view text, std::span<const Entity> entities);

}  // namespace pindrake::converters::entities
