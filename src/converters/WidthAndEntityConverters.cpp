#include "converters/WidthAndEntityConverters.h"

#include "converters/CharacterWidth.h"
#include "converters/HtmlEntities.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

ClipboardContent FullWidthToHalfConverter::transform(const ClipboardContent& input,
                                                     const ConversionBudget& budget) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, width::halfWidth(*input.plainText, budget));
}

ClipboardContent HalfToFullWidthConverter::transform(const ClipboardContent& input,
                                                     const ConversionBudget& budget) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, width::fullWidth(*input.plainText, budget));
}

ClipboardContent HTMLEntityEscapeConverter::transform(const ClipboardContent& input,
                                                      const ConversionBudget& budget) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, entities::escaped(*input.plainText, budget));
}

ClipboardContent HTMLEntityUnescapeConverter::transform(const ClipboardContent& input,
                                                        const ConversionBudget& budget) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, entities::unescaped(*input.plainText, budget));
}

}  // namespace pindrake::converters
