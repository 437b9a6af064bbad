#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::markdown::detail {

// Reads a JSON5 object (plain JSON, or with unquoted keys, single-quoted strings, comments,
// trailing commas) and returns the string value of one of its members. None when the text is
// not one well-formed object, the member is missing, or its value is not a string. Nested
// values are skipped without recursion, so any nesting depth is safe.
std::optional<std::string> json5StringMember(std::string_view object, std::string_view key);

}  // namespace pindrake::markdown::detail
