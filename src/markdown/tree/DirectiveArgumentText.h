#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {

// The raw text between a block directive's parentheses, one segment per source line, kept
// unparsed in the tree.
class DirectiveArgumentText {
  public:
    struct LineSegment {
        // The text of the line the segment stands on, from that line's first character.
        std::string untrimmedText;
        // Byte offset in untrimmedText where the argument text begins; at most its size.
        std::size_t parseIndex = 0;
        // Where the segment lies in the source, when the parser knows it.
        std::optional<SourceRange> range;

        // untrimmedText from parseIndex on. Stops when parseIndex lies past the end.
        std::string_view trimmedText() const;
        // Always the start of untrimmedText.
        std::size_t lineStartIndex() const noexcept { return 0; }

        friend bool operator==(const LineSegment& a, const LineSegment& b) = default;
    };

    DirectiveArgumentText() = default;
    // One segment holding the whole text, line breaks included, without a range.
    explicit DirectiveArgumentText(std::string_view text);
    explicit DirectiveArgumentText(std::vector<LineSegment> segments)
        : segments(std::move(segments)) {}

    // True without segments, or when every segment's whole text is only blanks and tabs.
    bool isEmpty() const noexcept;

    std::vector<LineSegment> segments;

    friend bool operator==(const DirectiveArgumentText& a,
                           const DirectiveArgumentText& b) = default;
};

}  // namespace pindrake::markdown
