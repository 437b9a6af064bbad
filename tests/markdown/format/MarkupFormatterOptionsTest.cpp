#include <gtest/gtest.h>

#include "markdown/format/MarkupFormatterOptions.h"

namespace pindrake::markdown {
namespace {

using Options = MarkupFormatterOptions;

TEST(MarkupFormatterOptionsTest, ThematicBreakLengthIsAtLeastThree) {
    for (auto [given, stored] :
         {std::pair<std::uint64_t, std::uint64_t>{0, 3}, {2, 3}, {3, 3}, {4, 4}}) {
        const Options options = Options::make(
            Options::UnorderedListMarker::star, Options::OrderedListNumerals::incrementing(2),
            Options::UseCodeFence::never, "sh", Options::ThematicBreakCharacter::underline, given,
            Options::EmphasisMarker::underline, false, Options::PreferredHeadingStyle::setext,
            std::nullopt, "> ", Options::DoxygenCommandPrefix::at);
        EXPECT_EQ(options.thematicBreakLength, stored) << given;
        EXPECT_EQ(options.unorderedListMarker, Options::UnorderedListMarker::star);
        EXPECT_EQ(options.orderedListNumerals.number, 2u);
        EXPECT_EQ(options.customLinePrefix, "> ");
    }
    EXPECT_EQ(Options::defaultOptions().thematicBreakLength, 5u);
}

TEST(MarkupFormatterOptionsTest, RawValuesReadBackExactly) {
    using Fence = Options::UseCodeFence;
    using Splitting = Options::PreferredLineLimit::SplittingElement;
    EXPECT_EQ(OptionCases<Fence>::fromRawValue("when-language-present"),
              Fence::onlyWhenLanguageIsPresent);
    EXPECT_EQ(OptionCases<Fence>::fromRawValue("Always"), std::nullopt);
    EXPECT_EQ(OptionCases<Fence>::fromRawValue(""), std::nullopt);
    EXPECT_EQ(rawValue(Options::DoxygenCommandPrefix::backslash), "\\");
    EXPECT_EQ(OptionCases<Splitting>::all,
              (std::array{Splitting::softBreak, Splitting::hardBreak}));
    for (auto marker : OptionCases<Options::UnorderedListMarker>::all) {
        EXPECT_EQ(OptionCases<Options::UnorderedListMarker>::fromRawValue(rawValue(marker)),
                  marker);
    }
    for (auto character : OptionCases<Options::ThematicBreakCharacter>::all) {
        EXPECT_EQ(OptionCases<Options::ThematicBreakCharacter>::fromRawValue(rawValue(character)),
                  character);
    }
}

}  // namespace
}  // namespace pindrake::markdown
