#include "converters/TextFormatConverters.h"

#include <algorithm>

#include "clipboard/Base64.h"
#include "converters/JsonLayout.h"
#include "converters/PercentCoding.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;
using clipboard::ContentTag;

namespace {

// Three bytes for every four characters but the padding; a text that decodes to nothing else.
std::size_t decodedBase64Size(std::string_view text) {
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    return text.size() / 4 * 3 - std::min(text.size() / 4 * 3, padding);
}

}  // namespace

void PasteAsIsConverter::convert(ClipboardContent input, const ConversionServices& services,
                                 ConversionCompletion done) const {
    deliverOnMain(services.main, std::move(input), std::move(done));
}

std::optional<ClipboardContent> JSONPrettifyConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(json::prettified(*input.plainText, budget));
}

std::optional<ClipboardContent> JSONMinifyConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(json::minified(*input.plainText, budget));
}

std::optional<ClipboardContent> Base64DecodeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    // Decoded where it lies, without a copy of the text.
    const auto trimmed = unicode::trimmedView(*input.plainText, budget.stopToken());
    if (!trimmed || !budget.admits(decodedBase64Size(*trimmed)))
        return std::nullopt;
    auto bytes = clipboard::base64::decode(*trimmed, budget.stopToken());
    if (!bytes || !unicode::isValidUtf8(*bytes, budget.stopToken()))
        return std::nullopt;
    return plainTextResult(std::move(bytes));
}

std::optional<ClipboardContent> Base64EncodeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText || !budget.admits((input.plainText->size() + 2) / 3 * 4))
        return std::nullopt;
    return plainTextResult(clipboard::base64::encode(*input.plainText, budget.stopToken()));
}

std::optional<ClipboardContent> URLDecodeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText)
        return std::nullopt;
    return plainTextResult(percent::decoded(*input.plainText, budget));
}

std::optional<ClipboardContent> URLEncodeConverter::transform(
    const ClipboardContent& input, const ConversionBudget& budget) const {
    if (!input.plainText || input.plainText->empty())
        return std::nullopt;
    return plainTextResult(percent::encodedForQuery(*input.plainText, budget));
}

std::optional<ClipboardContent> FilePathConverter::transform(const ClipboardContent& input,
                                                             const ConversionBudget& budget) const {
    if (!input.plainText || !budget.admits(input.plainText->size()))
        return std::nullopt;
    return plainTextResult(input.plainText);
}

std::optional<ClipboardContent> FileNameConverter::transform(const ClipboardContent& input,
                                                             const ConversionBudget& budget) const {
    if (!input.plainText || input.plainText->find('/') == std::string::npos)
        return std::nullopt;
    std::string_view path = *input.plainText;
    while (path.size() > 1 && path.ends_with('/'))
        path.remove_suffix(1);
    const std::string_view name = path == "/" ? path : path.substr(path.find_last_of('/') + 1);
    if (!budget.admits(name.size()))
        return std::nullopt;
    return plainTextResult(std::string(name));
}

}  // namespace pindrake::converters
