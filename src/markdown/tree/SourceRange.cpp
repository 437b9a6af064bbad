#include "markdown/tree/SourceRange.h"

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

constexpr std::string_view invertedRange = "a source range must not end before it starts";

void appendLineAndColumn(std::string& text, const SourceLocation& location) {
    text += std::to_string(location.line);
    text += ':';
    text += std::to_string(location.column);
}

}  // namespace

SourceRange::SourceRange(SourceLocation start, SourceLocation end)
    : start_(std::move(start)), end_(std::move(end)) {
    require(!(end_ < start_), invertedRange);
}

std::optional<SourceRange> SourceRange::make(SourceLocation start, SourceLocation end) {
    if (end < start)
        return std::nullopt;
    return SourceRange(Unchecked{}, std::move(start), std::move(end));
}

void SourceRange::setStart(SourceLocation start) {
    require(!(end_ < start), invertedRange);
    start_ = std::move(start);
}

void SourceRange::setEnd(SourceLocation end) {
    require(!(end < start_), invertedRange);
    end_ = std::move(end);
}

std::string SourceRange::diagnosticDescription(bool includePath) const {
    std::string text;
    if (includePath && !start_.source.path().empty()) {
        text.append(start_.source.path());
        text += ':';
    }
    appendLineAndColumn(text, start_);
    if (start_ != end_) {
        text += '-';
        appendLineAndColumn(text, end_);
    }
    return text;
}

}  // namespace pindrake::markdown
