#include "markdown/parse/RangeAdjuster.h"

#include "markdown/parse/TrimmedLine.h"

namespace pindrake::markdown {

void RangeTracker::add(const SourceRange& range) {
    cover(totalRange, range);
}

SourceRange RangeAdjuster::shifted(const SourceRange& range) const {
    // A line past the recorded ones counts as untrimmed: the splitter cuts lines where cmark
    // does, so that only happens to a caller's own text.
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
        if (const std::optional<SourceRange> range = current->parsedRange()) {
            const SourceRange moved = shifted(*range);
            ranges.add(moved);
            FreshNodeRange::rewrite(*current, moved);
        } else {
            // Settled too, so that no node leaves here fresh.
            FreshNodeRange::rewrite(*current, std::nullopt);
        }
        const auto children = current->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
}

}  // namespace pindrake::markdown
