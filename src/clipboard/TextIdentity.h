#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pindrake::clipboard {

// What tells whether two texts are the same to the history, that is, have the same NFC form of
// their stream-safe form (which differs from the text only where over 30 combining marks follow
// each other): the form's length and a 128-bit digest under a key that is secret and new in
// every process, so nobody can make two different texts share one. Working one out reads the
// whole text, in time linear in its length (any thread); comparing two takes no time, whatever
// the texts hold.
struct TextIdentity {
    std::size_t length = 0;
    std::array<std::uint64_t, 2> digest{};

    bool operator==(const TextIdentity&) const = default;
};

TextIdentity textIdentity(std::string_view text);

}  // namespace pindrake::clipboard
