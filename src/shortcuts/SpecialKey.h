#pragma once

#include <optional>
#include <string>

namespace pindrake::GlobalShortcuts {

// Keys that are named by a symbol or a word rather than by the character the layout gives them.
enum class SpecialKey {
    return_,
    delete_,
    deleteForward,
    end,
    escape,
    help,
    home,
    space,
    tab,
    pageUp,
    pageDown,
    upArrow,
    rightArrow,
    downArrow,
    leftArrow,
    f1,
    f2,
    f3,
    f4,
    f5,
    f6,
    f7,
    f8,
    f9,
    f10,
    f11,
    f12,
    f13,
    f14,
    f15,
    f16,
    f17,
    f18,
    f19,
    f20,
    keypad0,
    keypad1,
    keypad2,
    keypad3,
    keypad4,
    keypad5,
    keypad6,
    keypad7,
    keypad8,
    keypad9,
    keypadClear,
    keypadDecimal,
    keypadDivide,
    keypadEnter,
    keypadEquals,
    keypadMinus,
    keypadMultiply,
    keypadPlus,
};

// Runs of keys in order: F1 to F20, keypad 0 to 9.
inline bool isBetween(SpecialKey key, SpecialKey first, SpecialKey last) {
    return key >= first && key <= last;
}
inline int offset(SpecialKey key, SpecialKey first) {
    return static_cast<int>(key) - static_cast<int>(first);
}

// A key code is special exactly when this finds it.
std::optional<SpecialKey> specialKeyForKeyCode(int keyCode);

// The text shown for the key: a symbol, "F1" to "F20", a keypad key in a keycap, or the
// localised word for the space bar.
std::string presentableDescription(SpecialKey key);
// The key equivalent a menu item takes; keypad keys have none.
std::optional<std::string> menuItemKeyEquivalent(SpecialKey key);

}  // namespace pindrake::GlobalShortcuts
