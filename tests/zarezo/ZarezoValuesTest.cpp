#include <gtest/gtest.h>

#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {
namespace {

// Callers show these texts as they stand.
TEST(ZarezoErrorTest, EveryKindHasItsText) {
    const std::pair<ZarezoError, const char*> cases[] = {
        {ZarezoError::libraryNotFound("turndown.min.js"),
         "turndown.min.js library not found in bundle"},
        {ZarezoError::libraryLoadingFailed("why"), "Failed to load JavaScript libraries: why"},
        {ZarezoError::invalidInput("why"), "Invalid input provided: why"},
        {ZarezoError::jsException("why"), "JavaScript execution error: why"},
        {ZarezoError::bundleResourceMissing("what"), "Required bundle resource missing: what"},
        {ZarezoError::jsEnvironmentInitializationFailed(),
         "Failed to initialize JavaScript environment"},
        {ZarezoError::jsContextCreationFailed(), "Failed to create JavaScript context"},
        {ZarezoError::turndownServiceCreationFailed(), "Failed to create TurndownService instance"},
        {ZarezoError::conversionFailed(), "Failed to convert HTML to Markdown"},
        {ZarezoError::emptyResult(), "Conversion produced empty result"},
        {ZarezoError::webViewInitializationFailed(), "Failed to initialize WKWebView"},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(error.errorDescription(), text);
}

// Stored settings come back only by their exact spelling.
TEST(ZarezoOptionsTest, RawValuesParseOnlyExactly) {
    const auto roundTrip = [](auto value, const char* raw) {
        EXPECT_EQ(rawValue(value), raw);
        EXPECT_EQ(fromRawValue<decltype(value)>(raw), value) << raw;
    };
    roundTrip(ZarezoHeadingStyle::setext, "setext");
    roundTrip(ZarezoHeadingStyle::atx, "atx");
    roundTrip(ZarezoCodeBlockStyle::indented, "indented");
    roundTrip(ZarezoCodeBlockStyle::fenced, "fenced");
    roundTrip(ConversionEngine::turndown, "turndown");
    roundTrip(ConversionEngine::htmlToMd, "htmlToMd");
    for (const char* raw : {"", "ATX", "atx ", " atx", "Setext", "setex"})
        EXPECT_EQ(fromRawValue<ZarezoHeadingStyle>(raw), std::nullopt) << raw;
    for (const char* raw : {"Fenced", "fence", "indented\n"})
        EXPECT_EQ(fromRawValue<ZarezoCodeBlockStyle>(raw), std::nullopt) << raw;
    for (const char* raw : {"htmltomd", "html-to-md", "Turndown"})
        EXPECT_EQ(fromRawValue<ConversionEngine>(raw), std::nullopt) << raw;
}

}  // namespace
}  // namespace pindrake::zarezo
