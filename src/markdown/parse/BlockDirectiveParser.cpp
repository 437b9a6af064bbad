#include "markdown/parse/BlockDirectiveParser.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <string>
#include <utility>

#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

using State = PendingBlockDirective::ParseState;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Lines here always carry numbers; a location without one would be a broken invariant.
SourceLocation locationOf(const TrimmedLine& line) {
    const std::optional<SourceLocation> location = line.location();
    require(location.has_value(), "a parsed line has no number");
    return *location;
}

// The number of characters from the parse position while `keep` holds for each.
template <class Keep>
std::size_t charactersWhile(const TrimmedLine& line, Keep keep) {
    const std::string_view text = line.untrimmedText();
    std::size_t count = 0;
    for (std::size_t at = line.parseIndex(); at < text.size(); ++count) {
        const std::size_t end = characterEnd(text, at);
        if (!keep(text.substr(at, end - at)))
            break;
        at = end;
    }
    return count;
}

bool isWhiteSpaceCharacter(std::string_view character) {
    std::int32_t at = 0;
    UChar32 c = 0;
    U8_NEXT(character.data(), at, static_cast<std::int32_t>(character.size()), c);
    return c >= 0 && u_isUWhiteSpace(c);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

bool PendingBlockDirective::acceptArgumentsStart(TrimmedLine line) {
    require(parseState == State::argumentsStart, "directive not at its arguments");
    line.lexWhitespace();
    if (line.restStartsWith('(')) {
        line.lex(1);
        parseState = State::argumentsText;
        acceptArgumentsText(std::move(line));
        return true;
    }
    parseState = State::contentsStart;
    return acceptContentsStart(std::move(line));
}

bool PendingBlockDirective::acceptArgumentsText(TrimmedLine line) {
    require(parseState == State::argumentsText, "directive not in its arguments");
    // Up to the first ")" outside double quotes and not after a backslash; quotes end with
    // the line.
    bool escaped = false;
    bool quoted = false;
    const std::size_t count = charactersWhile(line, [&](std::string_view c) {
        if (escaped) {
            escaped = false;
        } else if (c == "\\") {
            escaped = true;
        } else if (quoted) {
            quoted = c != "\"";
        } else if (c == "\"") {
            quoted = true;
        } else if (c == ")") {
            return false;
        }
        return true;
    });
    const std::optional<TrimmedLine::Lex> piece = line.lex(count);
    if (piece)
        argumentsText.push_back(*piece);
    endLocation = locationOf(line);
    if (line.restStartsWith(')')) {
        parseState = State::argumentsEnd;
        acceptArgumentsEnd(std::move(line));
        return true;
    }
    return piece.has_value();
}

bool PendingBlockDirective::acceptDelimiter(TrimmedLine& line, char delimiter, State next) {
    line.lexWhitespace();
    if (!line.restStartsWith(delimiter))
        return false;
    line.lex(1);
    endLocation = locationOf(line);
    parseState = next;
    return true;
}

bool PendingBlockDirective::acceptArgumentsEnd(TrimmedLine line) {
    require(parseState == State::argumentsEnd, "directive not at the end of its arguments");
    if (!acceptDelimiter(line, ')', State::contentsStart))
        return false;
    acceptContentsStart(std::move(line));
    return true;
}

bool PendingBlockDirective::acceptContentsStart(TrimmedLine line) {
    require(parseState == State::contentsStart, "directive not at its contents");
    if (!acceptDelimiter(line, '{', State::contents))
        return false;
    acceptContents(std::move(line));
    return true;
}

bool PendingBlockDirective::acceptContents(TrimmedLine line) {
    require(parseState == State::contents, "directive not in its contents");
    if (acceptDelimiter(line, '}', State::done))
        return true;
    std::string_view content = line.rest();
    while (!content.empty() && isBlank(content.back()))
        content.remove_suffix(1);
    if (content.empty() || content.back() != '}')
        return false;
    content.remove_suffix(1);
    while (!content.empty() && isBlank(content.back()))
        content.remove_suffix(1);
    // The content keeps its columns: what stood before it becomes as many spaces (bytes, as
    // columns count them).
    const std::size_t before = line.parseIndex();
    pendingLine = TrimmedLine::owning(std::string(before, ' ') + std::string(content),
                                      line.lineNumber(), line.source());
    innerIndentationColumnCount = static_cast<std::int64_t>(before);
    endLocation =
        SourceLocation{line.lineNumber().value_or(0),
                       static_cast<std::int64_t>(line.untrimmedText().size()) + 1, line.source()};
    parseState = State::done;
    return false;
}

void PendingDoxygenCommand::addLine(const TrimmedLine& line) {
    endLocation =
        SourceLocation{line.lineNumber().value_or(0),
                       static_cast<std::int64_t>(line.untrimmedText().size()) + 1, line.source()};
    const std::optional<SourceLocation> location = line.location();
    if (!innerIndentation && (!location || location->line != atLocation.line) &&
        !line.isBlankFromParsePosition()) {
        innerIndentation = line.equivalentIndentationColumnCount();
    }
}

std::int64_t ParseContainer::indentationAdjustment(const ParseContainer* parent) const {
    switch (kind) {
        case Kind::root:
            return 0;
        case Kind::blockDirective:
            return directive->innerIndentationColumnCount.value_or(
                directive->atIndentationColumnCount);
        case Kind::doxygenCommand:
            return doxygen->innerIndentation.value_or(doxygen->atSignIndentation);
        case Kind::lineRun:
            return parent != nullptr ? parent->indentationAdjustment(nullptr) : 0;
    }
    return 0;
}

ParseContainerStack::ParseContainerStack(std::string_view text, const Url& source,
                                         ParseOptions options)
    : options_(options), topRunFences_(options) {
    containers_.push_back(ParseContainer{});
    stack_.push_back(0);
    for (TrimmedLine& line : splitLines(text, source))
        add(std::move(line));
    while (stack_.size() > 1)
        pop();
    topRunFences_.startOver();
}

ParseContainer* ParseContainerStack::parentOfTop() {
    return stack_.size() > 1 ? &containers_[stack_[stack_.size() - 2]] : nullptr;
}

static bool inContents(const ParseContainer& container) {
    return container.kind == ParseContainer::Kind::blockDirective &&
           container.directive->parseState == State::contents;
}

void ParseContainerStack::push(ParseContainer container) {
    require(container.kind != ParseContainer::Kind::root,
            "Cannot push additional document containers onto the parse container stack");
    directivesInContents_ += inContents(container) ? 1 : 0;
    containers_.push_back(std::move(container));
    stack_.push_back(containers_.size() - 1);
}

void ParseContainerStack::pop() {
    require(stack_.size() >= 2, "popping the parse container stack's root");
    const std::size_t closed = stack_.back();
    stack_.pop_back();
    directivesInContents_ -= inContents(containers_[closed]) ? 1 : 0;
    ParseContainer& parent = top();
    require(parent.kind != ParseContainer::Kind::lineRun, "Line runs cannot have children");
    require(parent.kind != ParseContainer::Kind::doxygenCommand,
            "Doxygen commands cannot have children");
    parent.children.push_back(closed);
}

void ParseContainerStack::replaceTopDirective(PendingBlockDirective directive) {
    directivesInContents_ -= inContents(top()) ? 1 : 0;
    top().directive = std::move(directive);
    directivesInContents_ += inContents(top()) ? 1 : 0;
}

void ParseContainerStack::pushLineRun(TrimmedLine line) {
    ParseContainer run;
    run.kind = ParseContainer::Kind::lineRun;
    run.lines.push_back(std::move(line));
    push(std::move(run));
}

bool ParseContainerStack::lineIsIndentedCodeOrFence(const TrimmedLine& line) {
    const ParseContainer& container = top();
    const std::int64_t adjustment = container.indentationAdjustment(parentOfTop());
    if (line.equivalentIndentationColumnCount() - adjustment > 3 || line.isCodeFence())
        return true;
    std::int64_t width = adjustment;
    if (container.kind == ParseContainer::Kind::doxygenCommand) {
        // A command's body is a line run too; its first line below the command's own line
        // sets the indentation the body is read without.
        width =
            container.doxygen->innerIndentation.value_or(line.equivalentIndentationColumnCount());
    } else if (container.kind != ParseContainer::Kind::lineRun) {
        return false;
    }
    return topRunFences_.holdsInFence(stack_.back(), container.lines, line,
                                      static_cast<std::size_t>(width));
}

void ParseContainerStack::updateIndentation(const TrimmedLine& line) {
    ParseContainer* container = &top();
    if (container->kind == ParseContainer::Kind::lineRun ||
        container->kind == ParseContainer::Kind::doxygenCommand) {
        container = parentOfTop();
    }
    if (container == nullptr || container->kind != ParseContainer::Kind::blockDirective)
        return;
    if (!container->directive->innerIndentationColumnCount && !line.isBlankFromParsePosition())
        container->directive->innerIndentationColumnCount = line.equivalentIndentationColumnCount();
}

std::optional<PendingBlockDirective> ParseContainerStack::openDirective(const TrimmedLine& line) {
    TrimmedLine copy = line;
    copy.lexWhitespace();
    if (!copy.restStartsWith('@'))
        return std::nullopt;
    const TrimmedLine::Lex at = *copy.lex(1);
    const std::size_t nameLength = charactersWhile(copy, [](std::string_view c) {
        return !(c.size() == 1 &&
                 std::string_view("(),:{ \t").find(c[0]) != std::string_view::npos);
    });
    const std::optional<TrimmedLine::Lex> name = copy.lex(nameLength);
    if (!name || !at.range || !name->range || lineIsIndentedCodeOrFence(line))
        return std::nullopt;
    PendingBlockDirective directive;
    directive.atIndentationColumnCount = line.equivalentIndentationColumnCount();
    directive.atLocation = at.range->start();
    directive.nameLocation = name->range->start();
    directive.name = name->text;
    directive.endLocation = name->range->end();
    directive.acceptArgumentsStart(std::move(copy));
    return directive;
}

std::optional<std::pair<PendingDoxygenCommand, TrimmedLine>> ParseContainerStack::openDoxygen(
    const TrimmedLine& line) {
    if (!options_.contains(ParseOptions::parseMinimalDoxygen) || isInBlockDirectiveContents())
        return std::nullopt;
    TrimmedLine copy = line;
    const std::optional<TrimmedLine::Lex> indentation = copy.lexWhitespace();
    const std::optional<TrimmedLine::Lex> prefix =
        copy.lex(charactersWhile(copy, [](std::string_view c) { return c == "@" || c == "\\"; }));
    if (!prefix)
        return std::nullopt;
    const auto notWhiteSpace = [](std::string_view c) { return !isWhiteSpaceCharacter(c); };
    const std::optional<TrimmedLine::Lex> word = copy.lex(charactersWhile(copy, notWhiteSpace));
    if (!word || !prefix->range || !word->range)
        return std::nullopt;
    copy.lexWhitespace();

    PendingDoxygenCommand command;
    const std::string_view w = word->text;
    if (equalsIgnoringAsciiCase(w, "param")) {
        const std::optional<TrimmedLine::Lex> name = copy.lex(charactersWhile(copy, notWhiteSpace));
        if (!name)
            return std::nullopt;
        copy.lexWhitespace();
        command.kind = PendingDoxygenCommand::Kind::param;
        command.parameterName = name->text;
    } else if (equalsIgnoringAsciiCase(w, "discussion")) {
        command.kind = PendingDoxygenCommand::Kind::discussion;
    } else if (equalsIgnoringAsciiCase(w, "note")) {
        command.kind = PendingDoxygenCommand::Kind::note;
    } else if (equalsIgnoringAsciiCase(w, "brief") || equalsIgnoringAsciiCase(w, "abstract")) {
        command.kind = PendingDoxygenCommand::Kind::abstract;
    } else if (equalsIgnoringAsciiCase(w, "return") || equalsIgnoringAsciiCase(w, "returns") ||
               equalsIgnoringAsciiCase(w, "result")) {
        command.kind = PendingDoxygenCommand::Kind::returns;
    } else {
        return std::nullopt;
    }
    if (lineIsIndentedCodeOrFence(line))
        return std::nullopt;
    command.atLocation = prefix->range->start();
    command.atSignIndentation =
        indentation ? static_cast<std::int64_t>(indentation->text.size()) : 0;
    command.nameLocation = word->range->start();
    command.endLocation = word->range->end();
    command.addLine(copy);
    return std::pair{std::move(command), std::move(copy)};
}

void ParseContainerStack::add(TrimmedLine line) {
    using Kind = ParseContainer::Kind;
    if (line.isBlankFromParsePosition()) {
        const ParseContainer& current = top();
        if (current.kind == Kind::doxygenCommand ||
            (current.kind == Kind::blockDirective &&
             (current.directive->parseState == State::argumentsStart ||
              current.directive->parseState == State::contentsStart ||
              current.directive->parseState == State::done))) {
            pop();
        }
    }
    if (auto command = openDoxygen(line)) {
        if (stack_.size() > 1)
            pop();
        ParseContainer container;
        container.kind = Kind::doxygenCommand;
        container.doxygen = std::move(command->first);
        container.lines.push_back(std::move(command->second));
        push(std::move(container));
        return;
    }
    updateIndentation(line);
    TrimmedLine afterBlanks = line;
    afterBlanks.lexWhitespace();
    if (afterBlanks.restStartsWith('}') && isInBlockDirectiveContents() &&
        !lineIsIndentedCodeOrFence(line)) {
        // The innermost directive in contents becomes the top; above it stand at most a line
        // run and a directive waiting for its brace.
        for (std::size_t k = stack_.size(); k-- > 1;) {
            if (inContents(containers_[stack_[k]])) {
                while (stack_.size() - 1 > k)
                    pop();
                break;
            }
        }
    }
    if (std::optional<PendingBlockDirective> directive = openDirective(line)) {
        const ParseContainer& current = top();
        if (current.kind == Kind::lineRun || current.kind == Kind::doxygenCommand ||
            (current.kind == Kind::blockDirective && !inContents(current))) {
            pop();
        }
        std::optional<TrimmedLine> pending = std::exchange(directive->pendingLine, std::nullopt);
        const bool done = directive->parseState == State::done;
        ParseContainer container;
        container.kind = Kind::blockDirective;
        container.directive = std::move(directive);
        push(std::move(container));
        if (pending)
            pushLineRun(std::move(*pending));
        if (done)
            pop();
        return;
    }
    addContent(std::move(line));
}

void ParseContainerStack::addContent(TrimmedLine line) {
    using Kind = ParseContainer::Kind;
    ParseContainer& current = top();
    switch (current.kind) {
        case Kind::root:
            pushLineRun(std::move(line));
            return;
        case Kind::lineRun:
            current.lines.push_back(std::move(line));
            return;
        case Kind::doxygenCommand:
            current.doxygen->addLine(line);
            current.lines.push_back(std::move(line));
            return;
        case Kind::blockDirective:
            break;
    }
    // The directive is tried on a copy, but its argument pieces, which grow with every line,
    // are moved: copying them per line would make long argument lists quadratic. A refused
    // line adds no piece, so on refusal they go back as they were.
    std::vector<TrimmedLine::Lex> pieces = std::move(current.directive->argumentsText);
    PendingBlockDirective directive = *current.directive;
    directive.argumentsText = std::move(pieces);
    bool accepted = false;
    if (directive.parseState == State::argumentsText) {
        accepted = directive.acceptArgumentsText(line);
    } else if (directive.parseState != State::done && !lineIsIndentedCodeOrFence(line)) {
        switch (directive.parseState) {
            case State::argumentsStart:
                accepted = directive.acceptArgumentsStart(line);
                break;
            case State::argumentsEnd:
                accepted = directive.acceptArgumentsEnd(line);
                break;
            case State::contentsStart:
                accepted = directive.acceptContentsStart(line);
                break;
            case State::contents:
                accepted = directive.acceptContents(line);
                break;
            default:
                break;
        }
    }
    const bool finishedByBrace = directive.parseState == State::done && directive.pendingLine;
    if (accepted || finishedByBrace) {
        std::optional<TrimmedLine> pending = std::exchange(directive.pendingLine, std::nullopt);
        const bool done = directive.parseState == State::done;
        replaceTopDirective(std::move(directive));
        if (pending)
            pushLineRun(std::move(*pending));
        if (done)
            pop();
        return;
    }
    current.directive->argumentsText = std::move(directive.argumentsText);
    if (directive.parseState != State::contents)
        pop();
    pushLineRun(std::move(line));
}

}  // namespace pindrake::markdown
