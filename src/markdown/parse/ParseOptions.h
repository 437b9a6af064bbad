#pragma once

#include "foundation/OptionSet.h"

namespace pindrake::markdown {

// How a Markdown text is parsed; the empty set is what the application itself uses.
struct ParseOptions : OptionSet<ParseOptions> {
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
};

inline constexpr ParseOptions ParseOptions::parseBlockDirectives{1};
inline constexpr ParseOptions ParseOptions::parseSymbolLinks{2};
inline constexpr ParseOptions ParseOptions::disableSmartOpts{4};
inline constexpr ParseOptions ParseOptions::parseMinimalDoxygen{8};
inline constexpr ParseOptions ParseOptions::disableSourcePosOpts{16};

}  // namespace pindrake::markdown
