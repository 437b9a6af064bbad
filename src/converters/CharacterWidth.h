#pragma once

#include <string>
#include <string_view>

// The full-width forms of Japanese text and ASCII, one Unicode scalar at a time; every other
// character (kana, kanji, tabs, combining marks) passes unchanged.
namespace pindrake::converters::width {

// U+FF01..U+FF5E to "!".."~", U+3000 to a space.
std::string halfWidth(std::string_view text);
// "!".."~" to U+FF01..U+FF5E, a space to U+3000.
std::string fullWidth(std::string_view text);

}  // namespace pindrake::converters::width
