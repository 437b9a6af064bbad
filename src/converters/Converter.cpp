#include "converters/Converter.h"

#include <unicode/locid.h>

#include <memory>

#include "foundation/Localization.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

std::string currentUserLocale() {
    return icu::Locale::getDefault().getName();
}

Converter::Converter(std::string id, std::string iconName, clipboard::ContentTags acceptsTags)
    : id_(std::move(id)), iconName_(std::move(iconName)), acceptsTags_(std::move(acceptsTags)) {}

std::string Converter::title() const {
    return localized(titleKey());
}

void TransformingConverter::convert(ClipboardContent input, const ConversionServices& services,
                                    ConversionCompletion done) const {
    services.workers.convert(
        services.main, id(), std::move(input), services.limits, services.stop,
        [this](const ClipboardContent& input, const ConversionBudget& budget) {
            return transform(input, budget);
        },
        std::move(done));
}

void deliverOnMain(Scheduler& main, ClipboardContent content, ConversionCompletion done) {
    main.post([content = std::move(content), done = std::move(done)]() mutable {
        done(std::move(content));
    });
}

ClipboardContent convertedContent(std::string text, clipboard::ContentTag kind) {
    ClipboardContent content;
    content.plainText = std::move(text);
    content.tags = {kind};
    return content;
}

std::optional<ClipboardContent> plainTextResult(std::optional<std::string> text) {
    if (!text)
        return std::nullopt;
    return convertedContent(std::move(*text), clipboard::ContentTag::plainText);
}

}  // namespace pindrake::converters
