#include "converters/UnixTimeConverters.h"

#include "converters/UnixTime.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

// The results are a date or a number: a few bytes, whatever the input.
ClipboardContent UnixToDateConverter::transform(const ClipboardContent& input,
                                                const ConversionBudget&) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, unixtime::dateText(*input.plainText));
}

ClipboardContent DateToUnixConverter::transform(const ClipboardContent& input,
                                                const ConversionBudget&) const {
    if (!input.plainText)
        return input;
    const auto seconds = unixtime::secondsFromDateText(*input.plainText);
    if (!seconds)
        return input;
    return plainTextOr(input, std::to_string(*seconds));
}

}  // namespace pindrake::converters
