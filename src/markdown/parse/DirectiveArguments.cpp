#include "markdown/parse/DirectiveArguments.h"

#include "markdown/parse/TrimmedLine.h"
#include "markdown/tree/CanonicalEquivalence.h"

namespace pindrake::markdown {

namespace {

using Error = DirectiveArgumentParseError;

class SegmentParser {
  public:
    SegmentParser(const DirectiveArgumentText::LineSegment& segment, std::vector<Error>& errors)
        : line_(
              TrimmedLine(segment.untrimmedText,
                          segment.range ? std::optional(segment.range->start().line) : std::nullopt,
                          segment.range ? segment.range->start().source : Url())
                  .advancedTo(segment.parseIndex)),
          errors_(errors) {}

    std::vector<DirectiveArgument> parse() {
        std::vector<DirectiveArgument> arguments;
        line_.lexWhitespace();
        while (!line_.isBlankFromParsePosition()) {
            line_.lexWhitespace();
            const std::optional<TrimmedLine::Lex> name = token();
            if (!name) {
                skipToNextArgument();
                continue;
            }
            DirectiveArgument argument;
            std::optional<TrimmedLine::Lex> value;
            if (arguments.empty() &&
                (line_.isBlankFromParsePosition() || line_.restStartsWith(','))) {
                value = name;
            } else {
                if (line_.restStartsWith(':'))
                    line_.lex(1);
                else
                    missing(":");
                line_.lexWhitespace();
                value = token();
                if (!value) {
                    skipToNextArgument();
                    continue;
                }
                argument.name = std::string(name->text);
                argument.nameRange = name->range;
            }
            argument.value = std::string(value->text);
            argument.valueRange = value->range;
            line_.lexWhitespace();
            if (line_.restStartsWith(',')) {
                line_.lex(1);
                argument.hasTrailingComma = true;
            }
            arguments.push_back(std::move(argument));
            line_.lexWhitespace();
        }
        return arguments;
    }

  private:
    std::optional<SourceLocation> here() const { return line_.location(); }

    // Diagnostics need a location; a segment without a range has none and records nothing.
    void missing(const char* character) {
        if (const auto location = here())
            errors_.push_back(Error{Error::MissingExpectedCharacter{character, *location}});
    }

    // Stray commas, then whatever stands before the next comma.
    void skipToNextArgument() {
        while (line_.restStartsWith(',')) {
            line_.lex(1);
            if (const auto location = here())
                errors_.push_back(Error{Error::UnexpectedCharacter{",", *location}});
        }
        line_.lexUntil(',');
    }

    // Characters up to an unescaped stop character; a backslash escapes the next one.
    template <class Stops>
    std::size_t escapedRun(Stops stops) const {
        const std::string_view text = line_.untrimmedText();
        std::size_t count = 0;
        bool escaped = false;
        for (std::size_t at = line_.parseIndex(); at < text.size(); ++count) {
            const std::size_t end = characterEnd(text, at);
            const std::string_view c = text.substr(at, end - at);
            if (escaped)
                escaped = false;
            else if (c == "\\")
                escaped = true;
            else if (stops(c))
                break;
            at = end;
        }
        return count;
    }

    std::optional<TrimmedLine::Lex> token() {
        if (!line_.restStartsWith('"')) {
            const std::size_t count = escapedRun([](std::string_view c) {
                return c == "," || c == " " || c == ":" || c == ")" || c == "{";
            });
            return line_.lex(count);
        }
        line_.lex(1);
        const std::size_t count = escapedRun([](std::string_view c) { return c == "\""; });
        const std::optional<TrimmedLine::Lex> content = line_.lex(count, true);
        if (line_.restStartsWith('"')) {
            line_.lex(1);
            // Any escape pairs right after the closing mark go with it.
            while (line_.restStartsWith('\\') && line_.rest().size() > 1)
                line_.lex(2);
        } else {
            missing("\"");
        }
        return content;
    }

    TrimmedLine line_;
    std::vector<Error>& errors_;
};

}  // namespace

std::vector<DirectiveArgument> parseNameValueArguments(
    const DirectiveArgumentText::LineSegment& segment, std::vector<Error>& errors) {
    return SegmentParser(segment, errors).parse();
}

std::vector<DirectiveArgument> parseNameValueArguments(const DirectiveArgumentText& text,
                                                       std::vector<Error>& errors) {
    std::vector<DirectiveArgument> result;
    for (const auto& segment : text.segments) {
        for (DirectiveArgument& argument : parseNameValueArguments(segment, errors)) {
            for (const DirectiveArgument& earlier : result) {
                if (!canonicallyEquivalent(earlier.name, argument.name))
                    continue;
                if (earlier.nameRange && argument.nameRange) {
                    errors.push_back(Error{Error::DuplicateArgument{
                        argument.name, earlier.nameRange->start(), argument.nameRange->start()}});
                }
                break;
            }
            result.push_back(std::move(argument));
        }
    }
    for (std::size_t i = 0; result.size() >= 2 && i + 1 < result.size(); ++i) {
        if (!result[i].hasTrailingComma && result[i].valueRange) {
            errors.push_back(
                Error{Error::MissingExpectedCharacter{",", result[i].valueRange->end()}});
        }
    }
    return result;
}

std::vector<DirectiveArgument> parseNameValueArguments(const DirectiveArgumentText& text) {
    std::vector<Error> ignored;
    return parseNameValueArguments(text, ignored);
}

}  // namespace pindrake::markdown
