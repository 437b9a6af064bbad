#pragma once

#include <cstdint>
#include <vector>

#include "markdown/tree/RawMarkup.h"
#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {

// The smallest range covering every range added so far.
struct RangeTracker {
    SourceRange totalRange;
    void add(const SourceRange& range);
};

// Moves the ranges of nodes parsed from a run of lines into the coordinates of the whole
// text: lines down to where the run starts, columns right by what was trimmed from the start
// of each line. Rewrites the fresh nodes in place, each before its children, without
// recursion, and widens the tracker by every shifted range. Every node it passes stops being
// fresh, ranged or not.
struct RangeAdjuster {
    std::int64_t startLine = 1;
    RangeTracker ranges;
    std::vector<std::int64_t> trimmedIndentationPerLine;

    SourceRange shifted(const SourceRange& range) const;
    // The node and its whole subtree; stops unless every one of them is fresh from the parser.
    void adjust(const RawMarkup& node);
};

}  // namespace pindrake::markdown
