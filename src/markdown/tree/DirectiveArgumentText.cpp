#include "markdown/tree/DirectiveArgumentText.h"

#include <algorithm>

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

std::string_view DirectiveArgumentText::LineSegment::trimmedText() const {
    require(parseIndex <= untrimmedText.size(),
            "a directive argument segment's parse index lies past its text");
    return std::string_view(untrimmedText).substr(parseIndex);
}

DirectiveArgumentText::DirectiveArgumentText(std::string_view text)
    : segments{LineSegment{std::string(text), 0, std::nullopt}} {}

bool DirectiveArgumentText::isEmpty() const noexcept {
    return std::all_of(segments.begin(), segments.end(), [](const LineSegment& segment) {
        return segment.untrimmedText.find_first_not_of(" \t") == std::string::npos;
    });
}

}  // namespace pindrake::markdown
