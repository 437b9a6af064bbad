#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::clipboard::base64 {

// Standard alphabet with "=" padding and no line breaks.
std::string encode(std::string_view bytes);
// Strict: the length is a multiple of four, every character is in the alphabet, and "=" appears
// only as one or two padding characters at the end.
std::optional<std::string> decode(std::string_view text);
// One of the 64 characters (padding "=" is not).
bool isAlphabetCharacter(char c);
// Whether `decode` would succeed, without making the bytes.
bool isValid(std::string_view text);

}  // namespace pindrake::clipboard::base64
