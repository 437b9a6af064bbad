#include "markdown/parse/CmarkOptions.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

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
    cmark_gfm_core_extensions_ensure_registered();
    cmark_parser* parser = cmark_parser_new_with_mem(cmarkOptionsFor(options), memory);
    for (const char* name : {"table", "strikethrough", "tasklist"}) {
        cmark_syntax_extension* extension = cmark_find_syntax_extension(name);
        require(extension != nullptr, "cmark-gfm lacks a core extension");
        cmark_parser_attach_syntax_extension(parser, extension);
    }
    return parser;
}

}  // namespace pindrake::markdown
