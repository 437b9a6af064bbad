#pragma once

#include <string>

#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {

// A proposed replacement of the text in a range (a fix-it), for diagnostics.
struct Replacement {
    SourceRange range;
    std::string replacementText;

    // "3:1-3:9: fixit: x"
    std::string description() const {
        return range.diagnosticDescription(true) + ": fixit: " + replacementText;
    }
};

}  // namespace pindrake::markdown
