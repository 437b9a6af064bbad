#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pindrake::clipboard {

// What tells whether two texts are the same to the history, that is, are canonically
// equivalent (have one NFC form; where over 30 combining marks follow each other, one NFC form
// of each piece the run is cut into): the form's length and a 128-bit digest under a key that is
// secret and new in every process, so nobody can make two different texts share one. Working one out reads the
// whole text, in time linear in its length (any thread); comparing two takes no time, whatever
// the texts hold.
struct TextIdentity {
    std::size_t length = 0;
    std::array<std::uint64_t, 2> digest{};

    bool operator==(const TextIdentity&) const = default;
};

TextIdentity textIdentity(std::string_view text);

}  // namespace pindrake::clipboard
