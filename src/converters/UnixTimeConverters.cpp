#include "converters/UnixTimeConverters.h"

#include "converters/UnixTime.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

// The results are a date or a number: a few bytes, whatever the input.
std::optional<ClipboardContent> UnixToDateConverter::transform(const ClipboardContent& input,
                                                               const ConversionBudget&) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(unixtime::dateText(*input.plainText));
}

std::optional<ClipboardContent> DateToUnixConverter::transform(const ClipboardContent& input,
                                                               const ConversionBudget&) const {
    if (!input.plainText)
        return std::nullopt;
    const auto seconds = unixtime::secondsFromDateText(*input.plainText);
    if (!seconds)
        return std::nullopt;
    return plainTextResult(std::to_string(*seconds));
}

}  // namespace pindrake::converters
