#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::converters {

// Replaces every match of an ICU regular expression ("$1" in the template names the first
// group). Matching is bounded in time and memory, since texts come from anywhere; nothing when a
// bound is reached or the pattern is invalid.
std::optional<std::string> replacingMatches(std::string_view text, std::u16string_view pattern,
                                            std::u16string_view replacement);

// A text cut around the first match of a pattern; `found` false (and everything in `before`)
// when there is none.
struct SplitAtMatch {
    bool found = false;
    std::string before;
    std::string match;
    std::string after;
};
// Nothing when a bound is reached or the pattern is invalid.
std::optional<SplitAtMatch> splitAtFirstMatch(std::string_view text, std::u16string_view pattern);

}  // namespace pindrake::converters
