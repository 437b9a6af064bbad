#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/CancellationToken.h"

// Text helpers on ICU. Strings are UTF-8 unless the name says otherwise. Invalid UTF-8 is
// never turned into an empty string: each bad sequence becomes U+FFFD.
namespace pindrake::unicode {

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// Repairs invalid sequences; valid input comes back unchanged.
std::string sanitizedUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);
// The same, false once `stop` is cancelled.
bool isValidUtf8(std::string_view bytes, const CancellationToken& stop);

// User-perceived characters (extended grapheme clusters).
std::size_t graphemeCount(std::string_view text);
std::string graphemePrefix(std::string_view text, std::size_t count);
// The same prefix with each character cut to its first `maxCodePoints` code points, so that
// what is laid out of it stays small however long a character is (a letter may carry any
// number of combining marks). `isWhole`, when given, tells whether no character followed.
std::string clippedGraphemePrefix(std::string_view text, std::size_t count,
                                  std::size_t maxCodePoints, bool* isWhole = nullptr);

std::string nfc(std::string_view text);
// The NFC form of the text, in time linear in its length: where over 30 non-starters follow
// each other the text is cut, each piece normalised on its own and the pieces joined by the
// byte 0xFF, which no UTF-8 holds. Texts with one form are canonically equivalent; text without
// such a run gives its NFC form.
std::string streamSafeNfc(std::string_view text);

// Strips white space and line breaks (Unicode White_Space) from both ends.
std::string trimmed(std::string_view text);
// The same part of the text, not copied nor repaired; nothing once `stop` is cancelled.
std::optional<std::string_view> trimmedView(
    std::string_view text, const CancellationToken& stop = CancellationToken::never());
bool isBlank(std::string_view text);

// Full Unicode case folding, for comparisons that ignore case.
std::string caseFolded(std::string_view text);

}  // namespace pindrake::unicode
