#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shortcuts/Key.h"
#include "shortcuts/ModifierFlags.h"

namespace pindrake::GlobalShortcuts {

enum class KeyEventType { keyDown, keyUp, flagsChanged, other };

// One key combination as the hot-key service and the storage see it: a virtual key code and a
// Carbon modifier mask.
struct Shortcut {
    int carbonKeyCode = 0;
    int carbonModifiers = 0;

    // The mask is normalised: only the five modifier bits survive.
    Shortcut(int keyCode, std::int64_t carbonMask);
    Shortcut(Key key, ModifierFlags modifiers);

    // Only key-down and key-up events make a shortcut; the function flag is left out because
    // the system sets it on its own for function and arrow keys.
    static std::optional<Shortcut> fromKeyEvent(KeyEventType type, int keyCode,
                                                ModifierFlags modifiers);

    Key key() const { return Key(carbonKeyCode); }
    ModifierFlags modifiers() const { return modifierFlags(carbonModifiers); }

    // The stored form: a compact JSON object with the two integer members.
    std::string toJson() const;
    // Both members must be JSON integers within the ranges the hot-key service takes (key code
    // 0 to 0xFFFF, mask 0 to 0x7FFFFFFF); the mask is taken as it stands. Anything else is none.
    static std::optional<Shortcut> fromJson(std::string_view text);

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

  private:
    struct Unnormalized {};
    Shortcut(Unnormalized, int keyCode, int carbonMask)
        : carbonKeyCode(keyCode), carbonModifiers(carbonMask) {}
};

}  // namespace pindrake::GlobalShortcuts

template <>
struct std::hash<pindrake::GlobalShortcuts::Shortcut> {
    std::size_t operator()(const pindrake::GlobalShortcuts::Shortcut& s) const noexcept {
        return std::hash<int>{}(s.carbonKeyCode) * 31 + std::hash<int>{}(s.carbonModifiers);
    }
};
