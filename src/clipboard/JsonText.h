#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// What the program takes for JSON, in one place for the content detection that offers the JSON
// converters and for the converters themselves, so that JSON is offered exactly when they can
// convert it: after an optional UTF-8 byte-order mark, an object or an array of strict JSON,
// nested at most `maximumDepth` deep, with JSON white space (space, tab, line feed, carriage
// return) around its tokens, in valid UTF-8.
namespace pindrake::clipboard::json_text {

inline constexpr std::size_t maximumDepth = 512;

enum class TokenKind : std::uint8_t {
    beginObject,
    endObject,
    beginArray,
    endArray,
    colon,
    comma,
    string,
    scalar,  // number, true, false or null
};

struct Token {
    TokenKind kind;
    std::uint32_t offset;  // in the body
    std::uint32_t length;
    // For a container's opening token: the index of its closing token.
    std::uint32_t closing = 0;
};

struct Tokens {
    std::string_view body;  // the text after its byte-order mark
    std::vector<Token> tokens;
};

// The text after its byte-order mark, which some editors write and readers of JSON skip.
std::string_view withoutByteOrderMark(std::string_view text);
// The tokens of a JSON text; nothing when the text is none. Checked without recursion.
std::optional<Tokens> tokenized(std::string_view text);
// The same answer as `tokenized`, in memory that does not grow with the text.
bool isJsonText(std::string_view text);

}  // namespace pindrake::clipboard::json_text
