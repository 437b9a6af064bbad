#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "converters/ConversionBudget.h"

namespace pindrake::converters::percent {

// Every "%XY" (hexadecimal, either case) becomes its byte; "+" stays "+". Nothing when a "%"
// starts no escape, the bytes are not UTF-8, or the result is over the budget.
std::optional<std::string> decoded(std::string_view text,
                                   const ConversionBudget& budget = ConversionBudget());
// Every byte outside the query-allowed set (ASCII letters, digits and !$&'()*+,-./:;=?@_~)
// becomes "%XY" with upper-case digits; "%" itself included. Nothing when the result is over the
// budget.
std::optional<std::string> encodedForQuery(std::string_view text,
                                           const ConversionBudget& budget = ConversionBudget());

}  // namespace pindrake::converters::percent
