#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "converters/ConversionBudget.h"

namespace pindrake::converters::entities {

// An entity as written and the text it stands for.
using Entity = std::pair<std::string_view, std::string_view>;

// "&", "<", ">", the quotation mark and the apostrophe as entities; nothing when the result is
// over the budget.
std::optional<std::string> escaped(std::string_view text,
                                   const ConversionBudget& budget = ConversionBudget());
// "&amp;", "&lt;", "&gt;", "&quot;", "&#39;", "&#x27;" and "&apos;" back to their characters;
// nothing when the result is over the budget.
std::optional<std::string> unescaped(std::string_view text,
                                     const ConversionBudget& budget = ConversionBudget());
// Replaces each of `entities` in one left-to-right pass: what a replacement yields is never read
// again, so "&amp;lt;" becomes "&lt;", not "<".
std::string decodedOnce(std::string_view text, std::span<const Entity> entities);

}  // namespace pindrake::converters::entities
