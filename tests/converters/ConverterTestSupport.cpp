#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "converters/ConverterEngines.h"
#include "support/MainQueueWaits.h"

namespace pindrake::clipboard {
void PrintTo(const ClipboardContent& content, std::ostream* out) {
    *out << "ClipboardContent(plainText=" << ::testing::PrintToString(content.plainText)
         << ", html=" << ::testing::PrintToString(content.html)
         << ", image=" << (content.image ? "yes" : "no") << ", tags=" << content.tags.size()
         << ", types=" << content.pasteboardTypes.size() << ")";
}
}  // namespace pindrake::clipboard

namespace pindrake::converters::testing {

using clipboard::ClipboardContent;

std::optional<ClipboardContent> ConverterHarness::run(const Converter& converter,
                                                      const ClipboardContent& input,
                                                      const ConversionServices* with) {
    test_support::Delivered<ClipboardContent> result;
    converter.convert(input, with ? *with : services, result.completion());
    EXPECT_TRUE(result.all().empty()) << "delivered before the main queue ran";
    if (!result.first(main))
        return std::nullopt;
    main.runUntilIdle();
    if (result.all().size() != 1)
        return std::nullopt;
    return result.all().front();
}

const Converter& ConverterHarness::named(std::string_view id) {
    if (const Converter* engine = converterEngine(id))
        return *engine;
    for (const Converter* converter : everyConverter()) {
        if (converter->id() == id)
            return *converter;
    }
    throw std::invalid_argument("no converter " + std::string(id));
}

std::vector<const Converter*> everyConverter() {
    std::vector<const Converter*> all{&Converters::pasteAsIs()};
    for (const ConverterList* list : {&Converters::fileConverters(), &Converters::imageConverters(),
                                      &Converters::textConverters(), &Converters::aiConverters()})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

ClipboardContent text(std::string plainText, clipboard::ContentTags tags) {
    ClipboardContent content;
    content.plainText = std::move(plainText);
    content.tags = std::move(tags);
    return content;
}

ClipboardContent plainTextResult(std::string plainText) {
    return text(std::move(plainText), {clipboard::ContentTag::plainText});
}

}  // namespace pindrake::converters::testing
