#pragma once

#include <optional>
#include <string>
#include <utility>

#include "markdown/tree/SourceLocation.h"

namespace pindrake::markdown {

// A half-open stretch of source text, start <= end under the location ordering.
class SourceRange {
  public:
    // Stops the process when end lies before start: the bound order is the caller's duty.
    SourceRange(SourceLocation start, SourceLocation end);
    // For bounds taken from data: no range instead of a stop when end lies before start.
    static std::optional<SourceRange> make(SourceLocation start, SourceLocation end);

    const SourceLocation& start() const noexcept { return start_; }
    const SourceLocation& end() const noexcept { return end_; }
    // Both keep the bound order, and stop when it would break.
    void setStart(SourceLocation start);
    void setEnd(SourceLocation end);

    // "3:1-3:9", or "3:1" when the bounds are equal. With includePath and a start that has a
    // source with a non-empty path, that path and ":" come first, once.
    std::string diagnosticDescription(bool includePath) const;

    friend bool operator==(const SourceRange& a, const SourceRange& b) = default;

  private:
    struct Unchecked {};
    SourceRange(Unchecked, SourceLocation start, SourceLocation end)
        : start_(std::move(start)), end_(std::move(end)) {}

    SourceLocation start_;
    SourceLocation end_;
};

}  // namespace pindrake::markdown
