#include "converters/TextFormatConverters.h"

#include "clipboard/Base64.h"
#include "converters/JsonLayout.h"
#include "converters/PercentCoding.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;
using clipboard::ContentTag;

void PasteAsIsConverter::convert(ClipboardContent input, const ConversionServices& services,
                                 ConversionCompletion done) const {
    deliverOnMain(services.main, std::move(input), std::move(done));
}

ClipboardContent JSONPrettifyConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, json::prettified(*input.plainText));
}

ClipboardContent JSONMinifyConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, json::minified(*input.plainText));
}

ClipboardContent Base64DecodeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    auto bytes = clipboard::base64::decode(unicode::trimmed(*input.plainText));
    if (!bytes || !unicode::isValidUtf8(*bytes))
        return input;
    return plainTextOr(input, std::move(bytes));
}

ClipboardContent Base64EncodeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, clipboard::base64::encode(*input.plainText));
}

ClipboardContent URLDecodeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText)
        return input;
    return plainTextOr(input, percent::decoded(*input.plainText));
}

ClipboardContent URLEncodeConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText || input.plainText->empty())
        return input;
    return plainTextOr(input, percent::encodedForQuery(*input.plainText));
}

ClipboardContent FilePathConverter::transform(const ClipboardContent& input) const {
    return plainTextOr(input, input.plainText);
}

ClipboardContent FileNameConverter::transform(const ClipboardContent& input) const {
    if (!input.plainText || input.plainText->find('/') == std::string::npos)
        return input;
    std::string_view path = *input.plainText;
    while (path.size() > 1 && path.ends_with('/'))
        path.remove_suffix(1);
    const std::string_view name = path == "/" ? path : path.substr(path.find_last_of('/') + 1);
    return plainTextOr(input, std::string(name));
}

}  // namespace pindrake::converters
