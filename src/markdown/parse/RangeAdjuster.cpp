#include "markdown/parse/RangeAdjuster.h"

#include "markdown/parse/TrimmedLine.h"

namespace pindrake::markdown {

void RangeTracker::add(const SourceRange& range) {
    cover(totalRange, range);
}

SourceRange RangeAdjuster::shifted(const SourceRange& range) const {
    // A line past the recorded ones was not trimmed: cmark cuts lines at carriage returns
    // too, which the line splitter keeps inside a line.
    const auto shift = [this](const SourceLocation& location) {
        const auto index = static_cast<std::size_t>(location.line - 1);
        const std::int64_t trimmed = location.line >= 1 && index < trimmedIndentationPerLine.size()
                                         ? trimmedIndentationPerLine[index]
                                         : 0;
        return SourceLocation{startLine + location.line - 1, location.column + trimmed,
                              location.source};
    };
    return SourceRange(shift(range.start()), shift(range.end()));
}

void RangeAdjuster::adjust(const RawMarkup& node) {
    std::vector<const RawMarkup*> pending{&node};
    while (!pending.empty()) {
        const RawMarkup* current = pending.back();
        pending.pop_back();
        std::optional<SourceRange> range = current->parsedRange();
        if (range) {
            range = shifted(*range);
            ranges.add(*range);
        }
        // Rangeless nodes too, so that none leaves here fresh.
        FreshNodeRange::rewrite(*current, std::move(range));
        const auto children = current->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
}

}  // namespace pindrake::markdown
