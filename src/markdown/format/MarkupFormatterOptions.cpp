#include "markdown/format/MarkupFormatterOptions.h"

#include <algorithm>

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

using Options = MarkupFormatterOptions;

Options::PreferredLineLimit::PreferredLineLimit(std::int64_t maxLength, SplittingElement breakWith)
    : lineSplittingElement_(breakWith), maxLength_(maxLength) {
    require(maxLength > 0, "a preferred line limit must be greater than 0");
}

void Options::PreferredLineLimit::setMaxLength(std::int64_t maxLength) {
    require(maxLength > 0, "a preferred line limit must be greater than 0");
    maxLength_ = maxLength;
}

Options Options::make(UnorderedListMarker unorderedListMarker,
                      OrderedListNumerals orderedListNumerals, UseCodeFence useCodeFence,
                      std::optional<std::string> defaultCodeBlockLanguage,
                      ThematicBreakCharacter thematicBreakCharacter,
                      std::uint64_t thematicBreakLength, EmphasisMarker emphasisMarker,
                      bool condenseAutolinks, PreferredHeadingStyle preferredHeadingStyle,
                      std::optional<PreferredLineLimit> preferredLineLimit,
                      std::string customLinePrefix, DoxygenCommandPrefix doxygenCommandPrefix) {
    Options options;
    options.orderedListNumerals = orderedListNumerals;
    options.unorderedListMarker = unorderedListMarker;
    options.useCodeFence = useCodeFence;
    options.defaultCodeBlockLanguage = std::move(defaultCodeBlockLanguage);
    options.thematicBreakCharacter = thematicBreakCharacter;
    options.thematicBreakLength = std::max<std::uint64_t>(3, thematicBreakLength);
    options.emphasisMarker = emphasisMarker;
    options.condenseAutolinks = condenseAutolinks;
    options.preferredHeadingStyle = preferredHeadingStyle;
    options.preferredLineLimit = preferredLineLimit;
    options.customLinePrefix = std::move(customLinePrefix);
    options.doxygenCommandPrefix = doxygenCommandPrefix;
    return options;
}

std::string_view rawValue(Options::UnorderedListMarker value) noexcept {
    switch (value) {
        case Options::UnorderedListMarker::dash:
            return "-";
        case Options::UnorderedListMarker::plus:
            return "+";
        case Options::UnorderedListMarker::star:
            return "*";
    }
    return "-";
}

std::string_view rawValue(Options::UseCodeFence value) noexcept {
    switch (value) {
        case Options::UseCodeFence::onlyWhenLanguageIsPresent:
            return "when-language-present";
        case Options::UseCodeFence::always:
            return "always";
        case Options::UseCodeFence::never:
            return "never";
    }
    return "always";
}

std::string_view rawValue(Options::ThematicBreakCharacter value) noexcept {
    switch (value) {
        case Options::ThematicBreakCharacter::dash:
            return "-";
        case Options::ThematicBreakCharacter::underline:
            return "_";
        case Options::ThematicBreakCharacter::star:
            return "*";
    }
    return "-";
}

std::string_view rawValue(Options::EmphasisMarker value) noexcept {
    return value == Options::EmphasisMarker::underline ? "_" : "*";
}

std::string_view rawValue(Options::PreferredHeadingStyle value) noexcept {
    return value == Options::PreferredHeadingStyle::setext ? "setext" : "atx";
}

std::string_view rawValue(Options::PreferredLineLimit::SplittingElement value) noexcept {
    return value == Options::PreferredLineLimit::SplittingElement::hardBreak ? "hard-break"
                                                                             : "soft-break";
}

std::string_view rawValue(Options::DoxygenCommandPrefix value) noexcept {
    return value == Options::DoxygenCommandPrefix::at ? "@" : "\\";
}

}  // namespace pindrake::markdown
