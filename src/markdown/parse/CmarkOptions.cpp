#include "markdown/parse/CmarkOptions.h"

#include <cmark-gfm.h>

namespace pindrake::markdown {

int cmarkOptionsFor(ParseOptions options) noexcept {
    int bits = CMARK_OPT_TABLE_SPANS;
    if (!options.contains(ParseOptions::disableSmartOpts))
        bits |= CMARK_OPT_SMART;
    if (!options.contains(ParseOptions::disableSourcePosOpts))
        bits |= CMARK_OPT_SOURCEPOS;
    return bits;
}

}  // namespace pindrake::markdown
