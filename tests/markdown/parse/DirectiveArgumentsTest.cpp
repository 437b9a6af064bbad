#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "markdown/parse/DirectiveArguments.h"

namespace pindrake::markdown {
namespace {

using Error = DirectiveArgumentParseError;

SourceLocation col(std::int64_t column, std::int64_t line = 1) {
    return {line, column, {}};
}

DirectiveArgumentText::LineSegment segment(std::string text, std::int64_t line = 1) {
    return {std::move(text), 0, SourceRange(col(1, line), col(1, line))};
}

// "name=value," per argument (the comma when it has a trailing one), then the diagnostics.
std::string describe(const std::vector<DirectiveArgument>& arguments,
                     const std::vector<Error>& errors) {
    std::ostringstream out;
    for (const auto& argument : arguments)
        out << argument.name << "=" << argument.value << (argument.hasTrailingComma ? "," : "")
            << " ";
    out << "|";
    for (const Error& error : errors) {
        std::visit(
            [&](const auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, Error::DuplicateArgument>)
                    out << " duplicate " << e.name << "@" << e.firstLocation.column << "/"
                        << e.duplicateLocation.column;
                else if constexpr (std::is_same_v<E, Error::MissingExpectedCharacter>)
                    out << " missing " << e.character << "@" << e.location.column;
                else
                    out << " unexpected " << e.character << "@" << e.location.column;
            },
            error.error);
    }
    return out.str();
}

TEST(DirectiveArgumentsTest, GrammarAndDiagnostics) {
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"", "|"},
        {" \t ", "|"},
        {"a: 1, b: 2", "a=1, b=2 |"},
        {"a: 1,", "a=1, |"},
        {"a: 1 b: 2", "a=1 b=2 | missing ,@5"},
        {"a: 1, a: 2", "a=1, a=2 | duplicate a@1/7"},
        {"a: 1, a: 2, a: 3", "a=1, a=2, a=3 | duplicate a@1/7 duplicate a@1/13"},
        {"title", "=title |"},
        {"a: 1, title", "a=1, | missing :@12"},
        {"a:", "|"},
        {"a: ,", "| unexpected ,@5"},
        {"a : 1", "| missing :@2"},
        {",, a: 1", "| unexpected ,@2 unexpected ,@3"},
        {"a: \"\"", "a= |"},
        {"a: \"x", "a=x | missing \"@6"},
        {"a: x\\,y", "a=x\\,y |"},
        {"a: \"a\\\"b\"", "a=a\\\"b |"},
        {"a: x\ty", "a=x\ty |"},
        {"\xC3\xA9: 1", "\xC3\xA9=1 |"},
        // escape pairs after a closing quote are taken whole, a two-byte character too
        {"a: \"x\"\\\xC3\xA9\\b, c: 1", "a=x, c=1 |"},
        {"a: \"x\"\\\xC3\xA9, c: 1", "a=x, c=1 |"},
        // a backslash alone at the end is no pair: it stays for the next argument
        {"a: \"x\"\\", "a=x | missing :@8"},
    };
    for (const Case& c : cases) {
        std::vector<Error> errors;
        const auto arguments =
            parseNameValueArguments(DirectiveArgumentText({segment(c.text)}), errors);
        EXPECT_EQ(describe(arguments, errors), c.result) << c.text;
    }
}

TEST(DirectiveArgumentsTest, RangesCountBytesAndQuotedValuesCoverTheirContent) {
    std::vector<Error> errors;
    auto arguments =
        parseNameValueArguments(DirectiveArgumentText({segment("\xC3\xA9: 1")}), errors);
    ASSERT_EQ(arguments.size(), 1u);
    EXPECT_EQ(arguments[0].valueRange, SourceRange(col(5), col(6)));
    arguments = parseNameValueArguments(DirectiveArgumentText({segment("a: \"\"")}), errors);
    EXPECT_EQ(arguments[0].valueRange, SourceRange(col(5), col(5)));
    arguments = parseNameValueArguments(DirectiveArgumentText({segment("a: \"a\\\"b\"")}), errors);
    EXPECT_EQ(arguments[0].valueRange, SourceRange(col(5), col(9)));
    EXPECT_TRUE(errors.empty());
}

TEST(DirectiveArgumentsTest, SegmentsJoinAcrossLines) {
    struct Case {
        std::vector<DirectiveArgumentText::LineSegment> segments;
        const char* result;
    };
    const Case cases[] = {
        {{segment("a: 1", 1), segment("b: 2", 2)}, "a=1 b=2 | missing ,@5"},
        {{segment("a: 1,", 1), segment("b: 2", 2)}, "a=1, b=2 |"},
        {{segment("a: 1,", 1), segment("title", 2)}, "a=1, =title |"},
        // without ranges nothing is recorded
        {{{"a: 1 b", 0, std::nullopt}, {"a: \"x", 0, std::nullopt}}, "a=1 a=x |"},
    };
    for (const Case& c : cases) {
        std::vector<Error> errors{Error{Error::UnexpectedCharacter{"kept", col(1)}}};
        const auto arguments = parseNameValueArguments(DirectiveArgumentText(c.segments), errors);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front(), (Error{Error::UnexpectedCharacter{"kept", col(1)}}));
        errors.erase(errors.begin());
        EXPECT_EQ(describe(arguments, errors), c.result);
    }
    // A text made from a string keeps its line break inside a bare token.
    const auto plain = parseNameValueArguments(DirectiveArgumentText(std::string_view("a: x\ny")));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].value, "x\ny");
}

}  // namespace
}  // namespace pindrake::markdown
