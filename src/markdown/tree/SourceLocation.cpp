#include "markdown/tree/SourceLocation.h"

namespace pindrake::markdown {

std::string SourceLocation::description() const {
    std::string text;
    if (!source.path().empty()) {
        text.append(source.path());
        text += ':';
    }
    text += std::to_string(line);
    text += ':';
    text += std::to_string(column);
    return text;
}

}  // namespace pindrake::markdown
