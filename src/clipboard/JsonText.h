#pragma once

#include <cstddef>
#include <string_view>

#include "foundation/CancellationToken.h"

// What the program takes for JSON, in one place for the content detection that offers the JSON
// converters and for the converters themselves, so that JSON is offered exactly when they can
// convert it: after an optional UTF-8 byte-order mark, an object or an array of strict JSON,
// nested at most `maximumDepth` deep, with JSON white space (space, tab, line feed, carriage
// return) around its tokens, in valid UTF-8.
namespace pindrake::clipboard::json_text {

inline constexpr std::size_t maximumDepth = 512;

// The text after its byte-order mark, which some editors write and readers of JSON skip.
std::string_view withoutByteOrderMark(std::string_view text);
// Checked in one pass, without recursion, in memory that does not grow with the text; false
// once `stop` is cancelled.
bool isJsonText(std::string_view text, const CancellationToken& stop = CancellationToken::never());

}  // namespace pindrake::clipboard::json_text
