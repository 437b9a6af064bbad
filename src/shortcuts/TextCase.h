#pragma once

#include <string>
#include <string_view>

namespace pindrake::GlobalShortcuts {

// Each word's first letter in upper case and the rest in lower case, by Unicode's rules
// (so "ß" becomes "Ss").
std::string capitalized(std::string_view text);
std::string lowercased(std::string_view text);

}  // namespace pindrake::GlobalShortcuts
