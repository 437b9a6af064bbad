#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markdown/tree/SourceRange.h"
#include "markdown/tree/Url.h"

namespace pindrake::markdown {

// One input line and the point up to which it has been read, for the block-directive parser.
// Pieces are taken from the left in characters (extended grapheme clusters); positions and
// columns are UTF-8 bytes. The text is a view into the input, or into text the line owns.
class TrimmedLine {
  public:
    // A piece taken off a line, with its range when the line has a number.
    struct Lex {
        std::string_view text;
        std::optional<SourceRange> range;
        friend bool operator==(const Lex& a, const Lex& b) {
            return a.text == b.text && a.range == b.range;
        }
    };

    TrimmedLine(std::string_view text, std::optional<std::int64_t> lineNumber, Url source)
        : untrimmedText_(text), lineNumber_(lineNumber), source_(std::move(source)) {}
    // A line over text of its own (a directive's content before a closing brace).
    static TrimmedLine owning(std::string text, std::optional<std::int64_t> lineNumber, Url source);

    // The same line read from the given byte offset on. Stops past the end of the text.
    TrimmedLine advancedTo(std::size_t parseIndex) const;

    std::string_view untrimmedText() const noexcept { return untrimmedText_; }
    std::size_t parseIndex() const noexcept { return parseIndex_; }
    std::optional<std::int64_t> lineNumber() const noexcept { return lineNumber_; }
    const Url& source() const noexcept { return source_; }
    // The text from the parse position to the end.
    std::string_view rest() const noexcept { return untrimmedText_.substr(parseIndex_); }
    // The rest is empty or only spaces and tabs.
    bool isBlankFromParsePosition() const noexcept;

    // The parse position's location; none without a line number.
    std::optional<SourceLocation> location() const;
    // Up to count characters; nothing for an empty piece unless allowEmpty.
    std::optional<Lex> lex(std::size_t count, bool allowEmpty = false);
    // The leading spaces and tabs of the rest, at most limit of them (each counts one).
    std::optional<Lex> lexWhitespace(std::optional<std::size_t> limit = std::nullopt);
    // The characters before the first one that is exactly `stop`, or the whole rest.
    std::optional<Lex> lexUntil(char stop);
    // Whether the rest starts with a character that is exactly `c`.
    bool restStartsWith(char c) const noexcept;
    // The number of characters in the rest before the first exact `c` (or all of them).
    std::size_t charactersBefore(char c) const;

    // The width of the line's leading blanks from its start: a space 1, a tab to the next
    // multiple of 4.
    std::int64_t equivalentIndentationColumnCount() const noexcept;
    // After any blanks, the rest starts with "```" or "~~~".
    bool isCodeFence() const noexcept;

  private:
    std::shared_ptr<const std::string> owned_;
    std::string_view untrimmedText_;
    std::size_t parseIndex_ = 0;
    std::optional<std::int64_t> lineNumber_;
    Url source_;
};

// The end of the character (extended grapheme cluster) that starts at byte `at`.
std::size_t characterEnd(std::string_view text, std::size_t at);

// The text's lines, numbered from 1, cut where cmark cuts them: at a line feed, a carriage
// return and line feed pair, or a lone carriage return. n breaks give n + 1 lines.
std::vector<TrimmedLine> splitLines(std::string_view text, const Url& source);

// Widens `range` to cover `other`; on ties the receiver's start and the argument's end win.
void cover(SourceRange& range, const SourceRange& other);

}  // namespace pindrake::markdown
