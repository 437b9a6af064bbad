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
    EXPECT_EQ(rawValue(ZarezoHeadingStyle::setext), "setext");
    EXPECT_EQ(rawValue(ZarezoHeadingStyle::atx), "atx");
    EXPECT_EQ(rawValue(ZarezoCodeBlockStyle::indented), "indented");
    EXPECT_EQ(rawValue(ZarezoCodeBlockStyle::fenced), "fenced");
    EXPECT_EQ(rawValue(ConversionEngine::turndown), "turndown");
    EXPECT_EQ(rawValue(ConversionEngine::htmlToMd), "htmlToMd");

    EXPECT_EQ(fromRawValue<ZarezoHeadingStyle>("setext"), ZarezoHeadingStyle::setext);
    EXPECT_EQ(fromRawValue<ZarezoHeadingStyle>("atx"), ZarezoHeadingStyle::atx);
    EXPECT_EQ(fromRawValue<ZarezoCodeBlockStyle>("indented"), ZarezoCodeBlockStyle::indented);
    EXPECT_EQ(fromRawValue<ZarezoCodeBlockStyle>("fenced"), ZarezoCodeBlockStyle::fenced);
    EXPECT_EQ(fromRawValue<ConversionEngine>("turndown"), ConversionEngine::turndown);
    EXPECT_EQ(fromRawValue<ConversionEngine>("htmlToMd"), ConversionEngine::htmlToMd);

    for (const char* raw : {"", "ATX", "atx ", " atx", "Setext", "setex"})
        EXPECT_EQ(fromRawValue<ZarezoHeadingStyle>(raw), std::nullopt) << raw;
    for (const char* raw : {"Fenced", "fence", "indented\n"})
        EXPECT_EQ(fromRawValue<ZarezoCodeBlockStyle>(raw), std::nullopt) << raw;
    for (const char* raw : {"htmltomd", "html-to-md", "Turndown"})
        EXPECT_EQ(fromRawValue<ConversionEngine>(raw), std::nullopt) << raw;
}

}  // namespace
}  // namespace pindrake::zarezo
