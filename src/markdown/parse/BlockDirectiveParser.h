#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "markdown/parse/LineRunFences.h"
#include "markdown/parse/ParseOptions.h"
#include "markdown/parse/TrimmedLine.h"

namespace pindrake::markdown {

// A directive being read: "@" name, arguments in parentheses, contents in braces.
struct PendingBlockDirective {
    enum class ParseState {
        argumentsStart,
        argumentsText,
        argumentsEnd,
        contentsStart,
        contents,
        contentsEnd,
        done
    };

    std::int64_t atIndentationColumnCount = 0;
    std::optional<std::int64_t> innerIndentationColumnCount;
    SourceLocation atLocation;
    SourceLocation nameLocation;
    std::string_view name;
    std::vector<TrimmedLine::Lex> argumentsText;
    ParseState parseState = ParseState::argumentsStart;
    SourceLocation endLocation;
    // The content before a closing brace at the end of a line, still to become a line run.
    std::optional<TrimmedLine> pendingLine;

    bool acceptArgumentsStart(TrimmedLine line);
    bool acceptArgumentsText(TrimmedLine line);
    bool acceptArgumentsEnd(TrimmedLine line);
    bool acceptContentsStart(TrimmedLine line);
    bool acceptContents(TrimmedLine line);
    // Blanks and then `delimiter`, which moves the directive on to `next`; false, with the
    // line's blanks taken, when the delimiter is not there.
    bool acceptDelimiter(TrimmedLine& line, char delimiter, ParseState next);
};

// A Doxygen command line ("@param name ...", "\returns ...") and the lines after it.
struct PendingDoxygenCommand {
    enum class Kind { param, discussion, note, abstract, returns };

    SourceLocation atLocation;
    std::int64_t atSignIndentation = 0;
    SourceLocation nameLocation;
    std::optional<std::int64_t> innerIndentation;
    Kind kind = Kind::discussion;
    std::string_view parameterName;  // for param
    SourceLocation endLocation;

    void addLine(const TrimmedLine& line);
};

// The containers the lines are sorted into. They live in one list and refer to their
// children by index, so that nesting, however deep, costs no recursion anywhere.
struct ParseContainer {
    enum class Kind { root, lineRun, blockDirective, doxygenCommand };

    Kind kind = Kind::root;
    std::vector<std::size_t> children;  // root and block directive
    std::vector<TrimmedLine> lines;     // line run and Doxygen command
    std::optional<PendingBlockDirective> directive;
    std::optional<PendingDoxygenCommand> doxygen;

    // The indentation a line inside this container is measured against.
    std::int64_t indentationAdjustment(const ParseContainer* parent) const;
};

// Reads a text line by line into containers; the root is container 0.
class ParseContainerStack {
  public:
    ParseContainerStack(std::string_view text, const Url& source, ParseOptions options);

    const std::vector<ParseContainer>& containers() const noexcept { return containers_; }
    const ParseContainer& root() const noexcept { return containers_.front(); }

  private:
    void add(TrimmedLine line);
    void push(ParseContainer container);
    void pop();
    ParseContainer& top() { return containers_[stack_.back()]; }
    ParseContainer* parentOfTop();
    bool isInBlockDirectiveContents() const noexcept { return directivesInContents_ > 0; }
    // Whether the line is indented code, a fence or inside fenced code, and so no syntax of
    // ours. Asked only about a line that reads as such syntax, which then ends the top line
    // run or Doxygen command unless this holds.
    bool lineIsIndentedCodeOrFence(const TrimmedLine& line);
    std::optional<PendingBlockDirective> openDirective(const TrimmedLine& line);
    std::optional<std::pair<PendingDoxygenCommand, TrimmedLine>> openDoxygen(
        const TrimmedLine& line);
    void updateIndentation(const TrimmedLine& line);
    void replaceTopDirective(PendingBlockDirective directive);
    void pushLineRun(TrimmedLine line);
    void addContent(TrimmedLine line);

    ParseOptions options_;
    std::vector<ParseContainer> containers_;
    std::vector<std::size_t> stack_;
    std::size_t directivesInContents_ = 0;
    LineRunFences topRunFences_;
};

}  // namespace pindrake::markdown
