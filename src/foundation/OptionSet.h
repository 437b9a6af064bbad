#pragma once

#include <concepts>
#include <cstdint>

namespace pindrake {

// The operations of a set of independent flags held in one word, for a flag type that derives
// from it and names itself: `struct Options : OptionSet<Options> { static const Options a; };`
// with members made by braces, `inline constexpr Options Options::a{1};`. Sets combine with |
// (union), & (intersection) and - (difference).
template <class Set, std::unsigned_integral Raw = std::uint64_t>
struct OptionSet {
    Raw rawValue = 0;

    // Whether every flag of `member` is set here.
    constexpr bool contains(Set member) const noexcept {
        return (rawValue & member.rawValue) == member.rawValue;
    }
    constexpr bool isEmpty() const noexcept { return rawValue == 0; }

    friend constexpr Set operator|(Set a, Set b) noexcept {
        return Set{{static_cast<Raw>(a.rawValue | b.rawValue)}};
    }
    friend constexpr Set operator&(Set a, Set b) noexcept {
        return Set{{static_cast<Raw>(a.rawValue & b.rawValue)}};
    }
    friend constexpr Set operator-(Set a, Set b) noexcept {
        return Set{{static_cast<Raw>(a.rawValue & ~b.rawValue)}};
    }
    constexpr Set& operator|=(Set other) noexcept {
        rawValue |= other.rawValue;
        return static_cast<Set&>(*this);
    }
    friend constexpr bool operator==(Set a, Set b) noexcept { return a.rawValue == b.rawValue; }
};

}  // namespace pindrake
