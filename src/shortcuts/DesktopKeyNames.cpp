#include "shortcuts/DesktopKeyNames.h"

#include <optional>

#include "shortcuts/ShortcutDescription.h"
#include "shortcuts/TextCase.h"

namespace pindrake::GlobalShortcuts {

namespace {

// The Yen key and the Ro key beside right Shift, on Japanese keyboards.
constexpr int yenKeyCode = 93;
constexpr int roKeyCode = 94;

// Japanese layouts type a backslash on both keys (the old Japanese character set put the yen
// sign at the backslash's code), so each is named after its own cap instead.
std::optional<std::string> japaneseKeyName(int keyCode, std::string_view character) {
    if (character != "\\")
        return std::nullopt;
    if (keyCode == yenKeyCode)
        return "¥";
    if (keyCode == roKeyCode)
        return "Ro";
    return std::nullopt;
}

}  // namespace

std::string desktopKeyName(SpecialKey key) {
    if (isBetween(key, SpecialKey::f1, SpecialKey::f20))
        return presentableDescription(key);
    if (isBetween(key, SpecialKey::keypad0, SpecialKey::keypad9))
        return "Keypad " + std::to_string(offset(key, SpecialKey::keypad0));
    switch (key) {
        case SpecialKey::return_:
            return "Return";
        case SpecialKey::delete_:
            return "Backspace";
        case SpecialKey::deleteForward:
            return "Delete";
        case SpecialKey::end:
            return "End";
        case SpecialKey::escape:
            return "Esc";
        case SpecialKey::help:
            // Where PC keyboards put Insert.
            return "Insert";
        case SpecialKey::home:
            return "Home";
        case SpecialKey::space:
            return "Space";
        case SpecialKey::tab:
            return "Tab";
        case SpecialKey::pageUp:
            return "Page Up";
        case SpecialKey::pageDown:
            return "Page Down";
        case SpecialKey::upArrow:
            return "Up";
        case SpecialKey::rightArrow:
            return "Right";
        case SpecialKey::downArrow:
            return "Down";
        case SpecialKey::leftArrow:
            return "Left";
        case SpecialKey::keypadClear:
            return "Num Lock";
        case SpecialKey::keypadDecimal:
            return "Keypad .";
        case SpecialKey::keypadDivide:
            return "Keypad /";
        case SpecialKey::keypadEnter:
            return "Keypad Enter";
        case SpecialKey::keypadEquals:
            return "Keypad =";
        case SpecialKey::keypadMinus:
            return "Keypad -";
        case SpecialKey::keypadMultiply:
            return "Keypad *";
        case SpecialKey::keypadPlus:
            return "Keypad +";
        default:
            return {};
    }
}

ModifierFlags heldModifiers(ModifierFlags modifiers, KeyScope scope) {
    if (scope == KeyScope::global || !modifiers.contains(ModifierFlag::command))
        return modifiers;
    return (modifiers - ModifierFlag::command) | ModifierFlag::control;
}

std::string desktopKeyName(ModifierFlags modifiers, std::string_view keyName, KeyScope scope) {
    const ModifierFlags held = heldModifiers(modifiers, scope);
    std::string name;
    const auto add = [&](ModifierFlags modifier, std::string_view word) {
        if (held.contains(modifier))
            name.append(word).append("+");
    };
    add(ModifierFlag::shift, "Shift");
    add(ModifierFlag::control, "Ctrl");
    add(ModifierFlag::option, "Alt");
    add(ModifierFlag::command, "Super");
    add(ModifierFlag::function, "Fn");
    return name.append(keyName);
}

std::string desktopKeyName(const Shortcut& shortcut, const platform::KeyboardLayout& layout,
                           KeyScope scope) {
    std::string key;
    if (auto special = specialKeyForKeyCode(shortcut.carbonKeyCode))
        key = desktopKeyName(*special);
    else if (auto character = keyToCharacter(shortcut, layout))
        key = japaneseKeyName(shortcut.carbonKeyCode, *character).value_or(capitalized(*character));
    else
        key = "\uFFFD";
    return desktopKeyName(shortcut.modifiers(), key, scope);
}

}  // namespace pindrake::GlobalShortcuts
