#include "markdown/parse/TrimmedLine.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Cluster boundaries of non-ASCII text, from ICU.
std::size_t clusterEnd(std::string_view text, std::size_t at) {
    thread_local std::unique_ptr<icu::BreakIterator> characters = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> iterator(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        require(U_SUCCESS(status), "ICU has no character break iterator");
        return iterator;
    }();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    characters->setText(utext, status);
    const std::int32_t end = U_SUCCESS(status) ? characters->following(static_cast<int32_t>(at))
                                               : icu::BreakIterator::DONE;
    utext_close(utext);
    return end == icu::BreakIterator::DONE ? text.size() : static_cast<std::size_t>(end);
}

}  // namespace

std::size_t characterEnd(std::string_view text, std::size_t at) {
    if (at >= text.size())
        return text.size();
    const auto byte = static_cast<unsigned char>(text[at]);
    const bool nextIsPlain =
        at + 1 == text.size() || static_cast<unsigned char>(text[at + 1]) < 0x80;
    // An ASCII character followed by ASCII ends there, except a carriage return before a
    // line feed; everything else asks ICU (combining marks, emoji sequences...).
    if (byte < 0x80 && nextIsPlain &&
        !(byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n'))
        return at + 1;
    // A cluster never spans more than the text; ICU works on the whole text for context.
    return clusterEnd(text, at);
}

TrimmedLine TrimmedLine::owning(std::string text, std::optional<std::int64_t> lineNumber,
                                Url source) {
    auto owned = std::make_shared<const std::string>(std::move(text));
    TrimmedLine line(*owned, lineNumber, std::move(source));
    line.owned_ = std::move(owned);
    return line;
}

TrimmedLine TrimmedLine::advancedTo(std::size_t parseIndex) const {
    require(parseIndex <= untrimmedText_.size(), "a parse position past the end of its line");
    TrimmedLine copy = *this;
    copy.parseIndex_ = parseIndex;
    return copy;
}

bool TrimmedLine::isBlankFromParsePosition() const noexcept {
    for (char c : rest()) {
        if (!isBlank(c))
            return false;
    }
    return true;
}

std::optional<SourceLocation> TrimmedLine::location() const {
    if (!lineNumber_)
        return std::nullopt;
    return SourceLocation{*lineNumber_, static_cast<std::int64_t>(parseIndex_) + 1, source_};
}

std::optional<TrimmedLine::Lex> TrimmedLine::lex(std::size_t count, bool allowEmpty) {
    if (count == 0 && !allowEmpty)
        return std::nullopt;
    const std::optional<SourceLocation> before = location();
    std::size_t end = parseIndex_;
    for (std::size_t taken = 0; taken < count && end < untrimmedText_.size(); ++taken)
        end = characterEnd(untrimmedText_, end);
    if (end == parseIndex_ && !allowEmpty)
        return std::nullopt;
    const std::string_view piece = untrimmedText_.substr(parseIndex_, end - parseIndex_);
    parseIndex_ = end;
    const std::optional<SourceLocation> after = location();
    std::optional<SourceRange> range;
    if (before && after)
        range = SourceRange(*before, *after);
    return Lex{piece, range};
}

std::optional<TrimmedLine::Lex> TrimmedLine::lexWhitespace(std::optional<std::size_t> limit) {
    std::size_t count = 0;
    std::size_t at = parseIndex_;
    while (at < untrimmedText_.size() && (!limit || count < *limit) &&
           isBlank(untrimmedText_[at]) && characterEnd(untrimmedText_, at) == at + 1) {
        ++at;
        ++count;
    }
    return count == 0 ? std::nullopt : lex(count);
}

bool TrimmedLine::restStartsWith(char c) const noexcept {
    return parseIndex_ < untrimmedText_.size() && untrimmedText_[parseIndex_] == c &&
           characterEnd(untrimmedText_, parseIndex_) == parseIndex_ + 1;
}

std::size_t TrimmedLine::charactersBefore(char c) const {
    std::size_t count = 0;
    for (std::size_t at = parseIndex_; at < untrimmedText_.size(); ++count) {
        const std::size_t end = characterEnd(untrimmedText_, at);
        if (end == at + 1 && untrimmedText_[at] == c)
            break;
        at = end;
    }
    return count;
}

std::optional<TrimmedLine::Lex> TrimmedLine::lexUntil(char stop) {
    const std::size_t count = charactersBefore(stop);
    return count == 0 ? std::nullopt : lex(count);
}

std::int64_t TrimmedLine::equivalentIndentationColumnCount() const noexcept {
    std::int64_t width = 0;
    for (char c : untrimmedText_) {
        if (c == ' ')
            width += 1;
        else if (c == '\t')
            width = (width / 4 + 1) * 4;
        else
            break;
    }
    return width;
}

bool TrimmedLine::isCodeFence() const noexcept {
    TrimmedLine copy = *this;
    copy.lexWhitespace();
    const std::string_view rest = copy.rest();
    return rest.starts_with("```") || rest.starts_with("~~~");
}

std::vector<TrimmedLine> splitLines(std::string_view text, const Url& source) {
    std::vector<TrimmedLine> lines;
    std::int64_t number = 1;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start), number, source);
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start), number++, source);
        const bool pair = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (pair ? 2 : 1);
    }
}

void cover(SourceRange& range, const SourceRange& other) {
    SourceLocation start = other.start() < range.start() ? other.start() : range.start();
    SourceLocation end = range.end() > other.end() ? range.end() : other.end();
    range = SourceRange(std::move(start), std::move(end));
}

}  // namespace pindrake::markdown
