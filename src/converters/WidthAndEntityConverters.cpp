#include "converters/WidthAndEntityConverters.h"

#include "converters/CharacterWidth.h"
#include "converters/HtmlEntities.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

std::optional<ClipboardContent> FullWidthToHalfConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(width::halfWidth(*input.plainText, budget));
}

std::optional<ClipboardContent> HalfToFullWidthConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(width::fullWidth(*input.plainText, budget));
}

std::optional<ClipboardContent> HTMLEntityEscapeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(entities::escaped(*input.plainText, budget));
}

std::optional<ClipboardContent> HTMLEntityUnescapeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(entities::unescaped(*input.plainText, budget));
}

}  // namespace pindrake::converters
