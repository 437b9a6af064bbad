#include "converters/RegexRewrite.h"

#include <unicode/regex.h>

#include <memory>

#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

// Units of the matcher's own step counter, roughly a millisecond each: a few seconds per pattern.
constexpr int32_t matchTimeLimit = 3000;
constexpr int32_t matchStackLimit = 8 << 20;

std::unique_ptr<icu::RegexMatcher> boundedMatcher(std::u16string_view pattern,
                                                  const icu::UnicodeString& input) {
    UErrorCode status = U_ZERO_ERROR;
    auto matcher = std::make_unique<icu::RegexMatcher>(
        icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())), input, 0, status);
    matcher->setTimeLimit(matchTimeLimit, status);
    matcher->setStackLimit(matchStackLimit, status);
    if (U_FAILURE(status))
        return nullptr;
    return matcher;
}

}  // namespace

std::optional<std::string> replacingMatches(std::string_view text, std::u16string_view pattern,
                                            std::u16string_view replacement) {
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    auto matcher = boundedMatcher(pattern, input);
    if (!matcher)
        return std::nullopt;
    // Not the matcher's own replaceAll: a search that reaches the time limit ends it as if
    // there were no more matches, and the rest of the text would pass through unreplaced.
    const icu::UnicodeString replacementText(replacement.data(),
                                             static_cast<int32_t>(replacement.size()));
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString replaced;
    while (matcher->find(status) && U_SUCCESS(status))
        matcher->appendReplacement(replaced, replacementText, status);
    matcher->appendTail(replaced);
    if (U_FAILURE(status))
        return std::nullopt;
    std::string out;
    replaced.toUTF8String(out);
    return out;
}

std::optional<SplitAtMatch> splitAtFirstMatch(std::string_view text, std::u16string_view pattern) {
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    auto matcher = boundedMatcher(pattern, input);
    if (!matcher)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    SplitAtMatch split;
    split.found = matcher->find(status);
    if (U_FAILURE(status))
        return std::nullopt;
    if (!split.found) {
        input.toUTF8String(split.before);
        return split;
    }
    const int32_t start = matcher->start(status);
    const int32_t end = matcher->end(status);
    input.tempSubStringBetween(0, start).toUTF8String(split.before);
    input.tempSubStringBetween(start, end).toUTF8String(split.match);
    input.tempSubStringBetween(end).toUTF8String(split.after);
    return split;
}

}  // namespace pindrake::converters
