#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "clipboard/JsonText.h"
#include "converters/ConversionBudget.h"

// Re-lays out JSON texts whose top level is an object or an array. Only the white space between
// tokens changes (and, for the pretty form, the order of object members): strings and numbers
// are copied exactly as written, so big integers, long decimals, escapes and duplicate keys all
// survive. Nothing for invalid JSON, another top level, nesting deeper than `maximumJsonDepth`
// or a result over the budget, which is measured before it is made. Besides the result, a
// layout holds an entry per member of the objects it is inside and one per object member whose
// value is a container, never one per token.
namespace pindrake::converters::json {

inline constexpr std::size_t maximumJsonDepth = clipboard::json_text::maximumDepth;

// Two spaces per level, " : " between key and value, members sorted by key (stably, so
// duplicate keys keep their order), empty containers as "{}" and "[]".
std::optional<std::string> prettified(std::string_view text,
                                      const ConversionBudget& budget = ConversionBudget());
// No white space between tokens; members in their source order.
std::optional<std::string> minified(std::string_view text,
                                    const ConversionBudget& budget = ConversionBudget());

}  // namespace pindrake::converters::json
