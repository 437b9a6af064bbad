#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::converters::percent {

// Every "%XY" (hexadecimal, either case) becomes its byte; "+" stays "+". Nothing when a "%"
// starts no escape or the bytes are not UTF-8.
std::optional<std::string> decoded(std::string_view text);
// Every byte outside the query-allowed set (ASCII letters, digits and !$&'()*+,-./:;=?@_~)
// becomes "%XY" with upper-case digits; "%" itself included.
std::string encodedForQuery(std::string_view text);

}  // namespace pindrake::converters::percent
