#include "markdown/parse/CmarkOptions.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <array>
#include <cstddef>

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

int cmarkOptionsFor(ParseOptions options) noexcept {
    int bits = CMARK_OPT_TABLE_SPANS;
    if (!options.contains(ParseOptions::disableSmartOpts))
        bits |= CMARK_OPT_SMART;
    if (!options.contains(ParseOptions::disableSourcePosOpts))
        bits |= CMARK_OPT_SOURCEPOS;
    return bits;
}

cmark_parser* newCmarkParser(ParseOptions options, cmark_mem* memory) {
    // Registered once and never removed; looked up once, as the directive route makes a parser
    // per line run.
    static const std::array<cmark_syntax_extension*, 3> extensions = [] {
        cmark_gfm_core_extensions_ensure_registered();
        std::array<cmark_syntax_extension*, 3> found{};
        const char* names[] = {"table", "strikethrough", "tasklist"};
        for (std::size_t i = 0; i < found.size(); ++i) {
            found[i] = cmark_find_syntax_extension(names[i]);
            require(found[i] != nullptr, "cmark-gfm lacks a core extension");
        }
        return found;
    }();
    cmark_parser* parser = cmark_parser_new_with_mem(cmarkOptionsFor(options), memory);
    for (cmark_syntax_extension* extension : extensions)
        cmark_parser_attach_syntax_extension(parser, extension);
    return parser;
}

}  // namespace pindrake::markdown
