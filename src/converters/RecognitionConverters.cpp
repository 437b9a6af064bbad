#include "converters/RecognitionConverters.h"

#include <unicode/locid.h>

#include "foundation/Localization.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;
using clipboard::ContentTag;

namespace {

// The model's answer, trimmed; nothing when it fails or answers only white space.
std::optional<std::string> ask(platform::LanguageModel& model, const std::string& instructions,
                               const std::string& prompt) {
    auto answer = model.respond(instructions, prompt);
    if (!answer)
        return std::nullopt;
    std::string trimmed = unicode::trimmed(*answer);
    if (trimmed.empty())
        return std::nullopt;
    return trimmed;
}

void answerWithModel(const Converter& converter, ClipboardContent input, std::string instructions,
                     const ConversionServices& services, ConversionCompletion done) {
    if (!input.plainText || input.plainText->empty())
        return deliverOnMain(services.main, std::move(input), std::move(done));
    // The model may take seconds; the job shares it, for the job may outlive the services.
    services.workers.convert(
        services.main, converter.id(), std::move(input), services.limits, services.stop,
        [model = services.languageModel, instructions = std::move(instructions)](
            const ClipboardContent& input,
            const ConversionBudget& budget) -> std::optional<ClipboardContent> {
            auto answer = ask(*model, instructions, *input.plainText);
            if (answer && !budget.admits(answer->size()))
                return std::nullopt;
            return plainTextResult(std::move(answer));
        },
        std::move(done));
}

// The name, in the user's language, of the language to translate into.
std::string targetLanguageName(const std::string& userLocale) {
    const icu::Locale locale(userLocale.c_str());
    const std::string code = *locale.getLanguage() ? locale.getLanguage() : "en";
    icu::UnicodeString name;
    icu::Locale(code.c_str()).getDisplayLanguage(locale, name);
    std::string utf8;
    name.toUTF8String(utf8);
    // ICU answers with the code itself when it knows no name for it.
    if (utf8.empty() || utf8 == code)
        return "English";
    return utf8;
}

// The instruction text names the language where it has "%s".
std::string withLanguage(std::string format, const std::string& language) {
    if (const auto at = format.find("%s"); at != std::string::npos)
        format.replace(at, 2, language);
    return format;
}

}  // namespace

void ImageOCRConverter::convert(ClipboardContent input, const ConversionServices& services,
                                ConversionCompletion done) const {
    if (!input.image)
        return deliverOnMain(services.main, std::move(input), std::move(done));
    // Recognition may take seconds; the job shares the recogniser, for it may outlive the services.
    auto work = [recognizer = services.textRecognizer, input = std::move(input)] {
        const auto lines = recognizer->recognizeLines(input.image->encoded(), {"ja", "en"});
        if (!lines)
            return input;
        std::string text;
        for (const std::string& line : *lines) {
            if (!text.empty())
                text += '\n';
            text += line;
        }
        return text.empty() ? input : convertedContent(std::move(text), ContentTag::plainText);
    };
    services.workers.run(services.main, std::move(work), std::move(done));
}

void AISummarizeConverter::convert(ClipboardContent input, const ConversionServices& services,
                                   ConversionCompletion done) const {
    answerWithModel(*this, std::move(input), localized("ai_summarize_instruction"), services,
                    std::move(done));
}

void AITranslateConverter::convert(ClipboardContent input, const ConversionServices& services,
                                   ConversionCompletion done) const {
    const std::string instructions = withLanguage(localized("ai_translate_instruction"),
                                                  targetLanguageName(services.userLocale));
    answerWithModel(*this, std::move(input), instructions, services, std::move(done));
}

}  // namespace pindrake::converters
