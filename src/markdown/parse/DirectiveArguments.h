#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "markdown/tree/DirectiveArgumentText.h"
#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {

// One "name: value" argument of a block directive, or an unlabeled value (empty name).
struct DirectiveArgument {
    std::string name;
    std::optional<SourceRange> nameRange;
    std::string value;  // as written: a quoted value without its quotes, backslashes kept
    std::optional<SourceRange> valueRange;
    bool hasTrailingComma = false;
    friend bool operator==(const DirectiveArgument&, const DirectiveArgument&) = default;
};

// What the argument grammar found wrong; parsing goes on after each.
struct DirectiveArgumentParseError {
    struct DuplicateArgument {
        std::string name;
        SourceLocation firstLocation;
        SourceLocation duplicateLocation;
        friend bool operator==(const DuplicateArgument&, const DuplicateArgument&) = default;
    };
    // A ":" after a name, a "," between arguments or a closing quotation mark.
    struct MissingExpectedCharacter {
        std::string character;
        SourceLocation location;
        friend bool operator==(const MissingExpectedCharacter&,
                               const MissingExpectedCharacter&) = default;
    };
    // A "," where a name or a value was expected.
    struct UnexpectedCharacter {
        std::string character;
        SourceLocation location;
        friend bool operator==(const UnexpectedCharacter&, const UnexpectedCharacter&) = default;
    };

    std::variant<DuplicateArgument, MissingExpectedCharacter, UnexpectedCharacter> error;
    friend bool operator==(const DirectiveArgumentParseError&,
                           const DirectiveArgumentParseError&) = default;
};

// The arguments of one segment; the diagnostics raised inside it are appended to `errors`.
// A segment without a range yields arguments without ranges and records nothing.
std::vector<DirectiveArgument> parseNameValueArguments(
    const DirectiveArgumentText::LineSegment& segment,
    std::vector<DirectiveArgumentParseError>& errors);

// The arguments of every segment in order, with duplicate names and missing commas between
// arguments reported too; earlier entries of `errors` stay.
std::vector<DirectiveArgument> parseNameValueArguments(
    const DirectiveArgumentText& text, std::vector<DirectiveArgumentParseError>& errors);
std::vector<DirectiveArgument> parseNameValueArguments(const DirectiveArgumentText& text);

}  // namespace pindrake::markdown
