#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pindrake::markdown {

// Which of the interchangeable Markdown forms the writer uses, whether it re-wraps lines, and
// what starts every line. A plain value: copies are independent.
struct MarkupFormatterOptions {
    enum class UnorderedListMarker { dash, plus, star };
    enum class UseCodeFence { onlyWhenLanguageIsPresent, always, never };
    enum class ThematicBreakCharacter { dash, underline, star };
    enum class EmphasisMarker { star, underline };
    enum class PreferredHeadingStyle { atx, setext };
    enum class DoxygenCommandPrefix { backslash, at };

    // Every item numbered with the same number, or start + its position in the list.
    struct OrderedListNumerals {
        enum class Kind { allSame, incrementing };
        Kind kind = Kind::allSame;
        std::uint64_t number = 1;

        static OrderedListNumerals allSame(std::uint64_t number) { return {Kind::allSame, number}; }
        static OrderedListNumerals incrementing(std::uint64_t start) {
            return {Kind::incrementing, start};
        }
    };

    class PreferredLineLimit {
      public:
        enum class SplittingElement { softBreak, hardBreak };

        // Stops the process for a length of 0 or less.
        PreferredLineLimit(std::int64_t maxLength, SplittingElement breakWith);

        SplittingElement lineSplittingElement() const noexcept { return lineSplittingElement_; }
        void setLineSplittingElement(SplittingElement element) noexcept {
            lineSplittingElement_ = element;
        }
        // Characters (grapheme clusters); lines are kept shorter than this where they can be.
        std::int64_t maxLength() const noexcept { return maxLength_; }
        // Stops the process for a length of 0 or less, as the initialiser does.
        void setMaxLength(std::int64_t maxLength);

      private:
        SplittingElement lineSplittingElement_;
        std::int64_t maxLength_;
    };

    // The standard configuration.
    static MarkupFormatterOptions defaultOptions() { return {}; }

    // Every argument stored as given, except the thematic break length: at least 3.
    static MarkupFormatterOptions make(
        UnorderedListMarker unorderedListMarker, OrderedListNumerals orderedListNumerals,
        UseCodeFence useCodeFence, std::optional<std::string> defaultCodeBlockLanguage,
        ThematicBreakCharacter thematicBreakCharacter, std::uint64_t thematicBreakLength,
        EmphasisMarker emphasisMarker, bool condenseAutolinks,
        PreferredHeadingStyle preferredHeadingStyle,
        std::optional<PreferredLineLimit> preferredLineLimit, std::string customLinePrefix,
        DoxygenCommandPrefix doxygenCommandPrefix);

    OrderedListNumerals orderedListNumerals = OrderedListNumerals::allSame(1);
    UnorderedListMarker unorderedListMarker = UnorderedListMarker::dash;
    UseCodeFence useCodeFence = UseCodeFence::always;
    std::optional<std::string> defaultCodeBlockLanguage;
    ThematicBreakCharacter thematicBreakCharacter = ThematicBreakCharacter::dash;
    std::uint64_t thematicBreakLength = 5;
    EmphasisMarker emphasisMarker = EmphasisMarker::star;
    bool condenseAutolinks = true;
    PreferredHeadingStyle preferredHeadingStyle = PreferredHeadingStyle::atx;
    std::optional<PreferredLineLimit> preferredLineLimit;
    std::string customLinePrefix;
    DoxygenCommandPrefix doxygenCommandPrefix = DoxygenCommandPrefix::backslash;
};

// Raw values of the option enumerations, and the case for a raw value (exact match only).
std::string_view rawValue(MarkupFormatterOptions::UnorderedListMarker value) noexcept;
std::string_view rawValue(MarkupFormatterOptions::UseCodeFence value) noexcept;
std::string_view rawValue(MarkupFormatterOptions::ThematicBreakCharacter value) noexcept;
std::string_view rawValue(MarkupFormatterOptions::EmphasisMarker value) noexcept;
std::string_view rawValue(MarkupFormatterOptions::PreferredHeadingStyle value) noexcept;
std::string_view rawValue(
    MarkupFormatterOptions::PreferredLineLimit::SplittingElement value) noexcept;
std::string_view rawValue(MarkupFormatterOptions::DoxygenCommandPrefix value) noexcept;

// The cases of an option enumeration in declaration order, and lookup by raw value.
template <class Enum>
struct OptionCases;

#define PINDRAKE_OPTION_CASES(Enum, ...)                                         \
    template <>                                                                  \
    struct OptionCases<Enum> {                                                   \
        static constexpr auto all = std::array{__VA_ARGS__};                     \
        static std::optional<Enum> fromRawValue(std::string_view raw) noexcept { \
            for (Enum value : all) {                                             \
                if (rawValue(value) == raw)                                      \
                    return value;                                                \
            }                                                                    \
            return std::nullopt;                                                 \
        }                                                                        \
    };

PINDRAKE_OPTION_CASES(MarkupFormatterOptions::UnorderedListMarker,
                      MarkupFormatterOptions::UnorderedListMarker::dash,
                      MarkupFormatterOptions::UnorderedListMarker::plus,
                      MarkupFormatterOptions::UnorderedListMarker::star)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::UseCodeFence,
                      MarkupFormatterOptions::UseCodeFence::onlyWhenLanguageIsPresent,
                      MarkupFormatterOptions::UseCodeFence::always,
                      MarkupFormatterOptions::UseCodeFence::never)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::ThematicBreakCharacter,
                      MarkupFormatterOptions::ThematicBreakCharacter::dash,
                      MarkupFormatterOptions::ThematicBreakCharacter::underline,
                      MarkupFormatterOptions::ThematicBreakCharacter::star)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::EmphasisMarker,
                      MarkupFormatterOptions::EmphasisMarker::star,
                      MarkupFormatterOptions::EmphasisMarker::underline)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::PreferredHeadingStyle,
                      MarkupFormatterOptions::PreferredHeadingStyle::atx,
                      MarkupFormatterOptions::PreferredHeadingStyle::setext)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::PreferredLineLimit::SplittingElement,
                      MarkupFormatterOptions::PreferredLineLimit::SplittingElement::softBreak,
                      MarkupFormatterOptions::PreferredLineLimit::SplittingElement::hardBreak)
PINDRAKE_OPTION_CASES(MarkupFormatterOptions::DoxygenCommandPrefix,
                      MarkupFormatterOptions::DoxygenCommandPrefix::backslash,
                      MarkupFormatterOptions::DoxygenCommandPrefix::at)

#undef PINDRAKE_OPTION_CASES

}  // namespace pindrake::markdown
