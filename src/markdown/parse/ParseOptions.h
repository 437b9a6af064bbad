#pragma once

#include <cstdint>

namespace pindrake::markdown {

// How a Markdown text is parsed. An option set over one 64-bit word; the empty set is what
// the application itself uses.
struct ParseOptions {
    std::uint64_t rawValue = 0;

    // Read "@name(arguments) { contents }" block directives through the line parser instead
    // of one cmark pass over the whole text.
    static const ParseOptions parseBlockDirectives;
    // Inline code written with two or more backticks becomes a symbol link.
    static const ParseOptions parseSymbolLinks;
    // Keep straight quotes, "--", "---" and "..." as typed.
    static const ParseOptions disableSmartOpts;
    // Recognise Doxygen command lines (only with parseBlockDirectives).
    static const ParseOptions parseMinimalDoxygen;
    // Parse without cmark's exact source positions for multi-line inline spans.
    static const ParseOptions disableSourcePosOpts;

    constexpr bool contains(ParseOptions member) const noexcept {
        return (rawValue & member.rawValue) == member.rawValue;
    }
    constexpr bool isEmpty() const noexcept { return rawValue == 0; }

    friend constexpr ParseOptions operator|(ParseOptions a, ParseOptions b) noexcept {
        return {a.rawValue | b.rawValue};
    }
    friend constexpr ParseOptions operator&(ParseOptions a, ParseOptions b) noexcept {
        return {a.rawValue & b.rawValue};
    }
    friend constexpr ParseOptions operator-(ParseOptions a, ParseOptions b) noexcept {
        return {a.rawValue & ~b.rawValue};
    }
    constexpr ParseOptions& operator|=(ParseOptions other) noexcept {
        rawValue |= other.rawValue;
        return *this;
    }
    friend constexpr bool operator==(ParseOptions, ParseOptions) noexcept = default;
};

inline constexpr ParseOptions ParseOptions::parseBlockDirectives{1};
inline constexpr ParseOptions ParseOptions::parseSymbolLinks{2};
inline constexpr ParseOptions ParseOptions::disableSmartOpts{4};
inline constexpr ParseOptions ParseOptions::parseMinimalDoxygen{8};
inline constexpr ParseOptions ParseOptions::disableSourcePosOpts{16};

}  // namespace pindrake::markdown
