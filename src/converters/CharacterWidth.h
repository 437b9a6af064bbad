#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "converters/ConversionBudget.h"

// The full-width forms of Japanese text and ASCII, one Unicode scalar at a time; every other
// character (kana, kanji, tabs, combining marks) and every byte that is no UTF-8 passes
// unchanged. Nothing when the result is over the budget.
namespace pindrake::converters::width {

// U+FF01..U+FF5E to "!".."~", U+3000 to a space.
std::optional<std::string> halfWidth(std::string_view text,
                                     const ConversionBudget& budget = ConversionBudget());
// "!".."~" to U+FF01..U+FF5E, a space to U+3000.
std::optional<std::string> fullWidth(std::string_view text,
                                     const ConversionBudget& budget = ConversionBudget());

}  // namespace pindrake::converters::width
