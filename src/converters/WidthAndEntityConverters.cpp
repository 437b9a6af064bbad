#include "converters/WidthAndEntityConverters.h"

#include "converters/CharacterWidth.h"
#include "converters/HtmlEntities.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

ClipboardContent FullWidthToHalfConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, width::halfWidth(*input.plainText));
}

ClipboardContent HalfToFullWidthConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, width::fullWidth(*input.plainText));
}

ClipboardContent HTMLEntityEscapeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, entities::escaped(*input.plainText));
}

ClipboardContent HTMLEntityUnescapeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, entities::unescaped(*input.plainText));
}

}  // namespace pindrake::converters
