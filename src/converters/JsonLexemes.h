#pragma once

#include <cstddef>
#include <string_view>

// The lexemes of a text already known to be JSON (`clipboard::json_text::isJsonText`), read in
// place from any position, with nothing kept: what the layouts need to walk a text of any size
// in little more memory than their result.
namespace pindrake::converters::json {

// The first position at or after `at` that is not JSON white space; the text's size if none.
std::size_t skipSpace(std::string_view json, std::size_t at);
// Where the lexeme starting at `at` ends: one past a punctuation mark, past a string's closing
// quotation mark, or past a number or literal.
std::size_t lexemeEnd(std::string_view json, std::size_t at);

inline bool isOpening(char c) {
    return c == '{' || c == '[';
}

}  // namespace pindrake::converters::json
