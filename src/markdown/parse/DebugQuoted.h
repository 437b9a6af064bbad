#pragma once

#include <string>
#include <string_view>

namespace pindrake::markdown {

// The text between double quotes, with quotes, backslashes and control characters escaped.
std::string debugQuoted(std::string_view text);

}  // namespace pindrake::markdown
