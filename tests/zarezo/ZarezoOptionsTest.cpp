#include <gtest/gtest.h>

#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {
namespace {

TEST(ZarezoOptionsTest, DefaultsMatchTheApplicationsOptions) {
    EXPECT_EQ(ZarezoOptions::defaults(),
              ZarezoOptions(ConversionEngine::turndown, ZarezoHeadingStyle::atx, "-",
                            ZarezoCodeBlockStyle::fenced, {}, {}, {}));
}

TEST(ZarezoOptionsTest, RawValuesParseOnlyInTheirOwnSpelling) {
    EXPECT_EQ(fromRawValue<ConversionEngine>("htmlToMd"), ConversionEngine::htmlToMd);
    EXPECT_EQ(fromRawValue<ConversionEngine>(rawValue(ConversionEngine::turndown)),
              ConversionEngine::turndown);
    for (const char* other : {"HTMLTOMD", "html-to-md", "htmltomd", ""}) {
        EXPECT_EQ(fromRawValue<ConversionEngine>(other), std::nullopt) << other;
    }
    EXPECT_EQ(fromRawValue<ZarezoHeadingStyle>("setext"), ZarezoHeadingStyle::setext);
    EXPECT_EQ(fromRawValue<ZarezoCodeBlockStyle>("Fenced"), std::nullopt);
}

TEST(ZarezoErrorTest, MessagesPutTheDetailWhereItBelongs) {
    EXPECT_EQ(ZarezoError::libraryNotFound("turndown.min.js").errorDescription(),
              "turndown.min.js library not found in bundle");
    EXPECT_EQ(ZarezoError::jsException(ZarezoError::conversionFailed().errorDescription())
                  .errorDescription(),
              "JavaScript execution error: Failed to convert HTML to Markdown");
    EXPECT_EQ(ZarezoError::libraryLoadingFailed("x").errorDescription(),
              "Failed to load JavaScript libraries: x");
}

}  // namespace
}  // namespace pindrake::zarezo
