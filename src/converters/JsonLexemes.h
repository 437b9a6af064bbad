#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

// The lexemes of a text already known to be JSON (`clipboard::json_text::isJsonText`), read in
// place from any position, with nothing kept: what the layouts need to walk a text of any size
// in little more memory than their result. Inline, for the layouts call them once per lexeme.
namespace pindrake::converters::json {

inline bool isOpening(char c) {
    return c == '{' || c == '[';
}

inline bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The first position at or after `at` that is not JSON white space; the text's size if none.
inline std::size_t skipSpace(std::string_view json, std::size_t at) {
    while (at < json.size() && isJsonSpace(json[at]))
        ++at;
    return at;
}

// The bytes that end a number or a literal.
inline constexpr auto scalarEnds = [] {
    std::array<bool, 256> ends{};
    for (const char c : std::string_view(" \t\n\r,]}"))
        ends[static_cast<unsigned char>(c)] = true;
    return ends;
}();

// Where the string lexeme at `at` ends: past the first quotation mark after an even run of
// backslashes (the opening mark ends every run).
inline std::size_t stringEnd(std::string_view json, std::size_t at) {
    const char* const text = json.data();
    // Most strings are short: read in place before searching.
    for (std::size_t i = at + 1; i < at + 32 && i < json.size(); ++i) {
        if (text[i] == '"')
            return i + 1;
        if (text[i] == '\\')
            ++i;
    }
    for (std::size_t i = at + 1;; ++i) {
        i = static_cast<std::size_t>(
            static_cast<const char*>(std::memchr(text + i, '"', json.size() - i)) - text);
        std::size_t backslashes = 0;
        while (text[i - 1 - backslashes] == '\\')
            ++backslashes;
        if (backslashes % 2 == 0)
            return i + 1;
    }
}

// Where the lexeme starting at `at` ends: one past a punctuation mark, past a string's closing
// quotation mark, or past a number or literal.
inline std::size_t lexemeEnd(std::string_view json, std::size_t at) {
    switch (json[at]) {
        case '{':
        case '}':
        case '[':
        case ']':
        case ':':
        case ',':
            return at + 1;
        case '"':
            return stringEnd(json, at);
        default: {
            std::size_t end = at;
            while (end < json.size() && !scalarEnds[static_cast<unsigned char>(json[end])])
                ++end;
            return end;
        }
    }
}

}  // namespace pindrake::converters::json
