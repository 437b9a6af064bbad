#pragma once

#include <cstdint>
#include <string>

#include "foundation/OptionSet.h"
#include "platform/HotKeyBackend.h"

namespace pindrake::GlobalShortcuts {

// Event modifier flags, by the values of the system whose stored shortcuts we keep. Stored
// shortcuts use Carbon masks (plain integers) instead; the two meet only through the
// conversions below, and a type of their own keeps one from being passed for the other.
struct ModifierFlags : OptionSet<ModifierFlags, std::uint32_t> {};

namespace ModifierFlag {
inline constexpr ModifierFlags capsLock{0x10000};
inline constexpr ModifierFlags shift{0x20000};
inline constexpr ModifierFlags control{0x40000};
inline constexpr ModifierFlags option{0x80000};
inline constexpr ModifierFlags command{0x100000};
inline constexpr ModifierFlags numericPad{0x200000};
inline constexpr ModifierFlags function{0x800000};
}  // namespace ModifierFlag

namespace CarbonModifier = platform::CarbonModifier;

// Only command, shift, option, control and function cross over; every other bit is dropped.
int carbonMask(ModifierFlags flags);
ModifierFlags modifierFlags(std::int64_t carbonMask);
// Carbon to flags and back: what is left of a mask once the other bits are dropped.
int normalizedCarbonMask(std::int64_t carbonMask);

// "⌃⌥⇧⌘" and the function globe, in that fixed order, without separators.
std::string symbolicRepresentation(ModifierFlags flags);

}  // namespace pindrake::GlobalShortcuts
