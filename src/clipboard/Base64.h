#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "foundation/CancellationToken.h"

namespace pindrake::clipboard::base64 {

// Standard alphabet with "=" padding and no line breaks; nothing once `stop` is cancelled.
std::optional<std::string> encode(std::string_view bytes, const CancellationToken& stop);
std::string encode(std::string_view bytes);
// Strict: the length is a multiple of four, every character is in the alphabet, and "=" appears
// only as one or two padding characters at the end. Nothing too once `stop` is cancelled.
std::optional<std::string> decode(std::string_view text,
                                  const CancellationToken& stop = CancellationToken::never());
// One of the 64 characters (padding "=" is not).
bool isAlphabetCharacter(char c);
// Whether `decode` would succeed, without making the bytes.
bool isValid(std::string_view text, const CancellationToken& stop = CancellationToken::never());

}  // namespace pindrake::clipboard::base64
