#include "shortcuts/SpecialKey.h"

#include <array>
#include <unordered_map>
#include <utility>

#include <unicode/utf8.h>

#include "shortcuts/Key.h"
#include "shortcuts/ModuleText.h"
#include "shortcuts/TextCase.h"

namespace pindrake::GlobalShortcuts {

namespace {

constexpr std::array<std::pair<SpecialKey, Key>, 53> specialKeyCodes{{
    {SpecialKey::return_, Key::return_},
    {SpecialKey::delete_, Key::delete_},
    {SpecialKey::deleteForward, Key::deleteForward},
    {SpecialKey::end, Key::end},
    {SpecialKey::escape, Key::escape},
    {SpecialKey::help, Key::help},
    {SpecialKey::home, Key::home},
    {SpecialKey::space, Key::space},
    {SpecialKey::tab, Key::tab},
    {SpecialKey::pageUp, Key::pageUp},
    {SpecialKey::pageDown, Key::pageDown},
    {SpecialKey::upArrow, Key::upArrow},
    {SpecialKey::rightArrow, Key::rightArrow},
    {SpecialKey::downArrow, Key::downArrow},
    {SpecialKey::leftArrow, Key::leftArrow},
    {SpecialKey::f1, Key::f1},
    {SpecialKey::f2, Key::f2},
    {SpecialKey::f3, Key::f3},
    {SpecialKey::f4, Key::f4},
    {SpecialKey::f5, Key::f5},
    {SpecialKey::f6, Key::f6},
    {SpecialKey::f7, Key::f7},
    {SpecialKey::f8, Key::f8},
    {SpecialKey::f9, Key::f9},
    {SpecialKey::f10, Key::f10},
    {SpecialKey::f11, Key::f11},
    {SpecialKey::f12, Key::f12},
    {SpecialKey::f13, Key::f13},
    {SpecialKey::f14, Key::f14},
    {SpecialKey::f15, Key::f15},
    {SpecialKey::f16, Key::f16},
    {SpecialKey::f17, Key::f17},
    {SpecialKey::f18, Key::f18},
    {SpecialKey::f19, Key::f19},
    {SpecialKey::f20, Key::f20},
    {SpecialKey::keypad0, Key::keypad0},
    {SpecialKey::keypad1, Key::keypad1},
    {SpecialKey::keypad2, Key::keypad2},
    {SpecialKey::keypad3, Key::keypad3},
    {SpecialKey::keypad4, Key::keypad4},
    {SpecialKey::keypad5, Key::keypad5},
    {SpecialKey::keypad6, Key::keypad6},
    {SpecialKey::keypad7, Key::keypad7},
    {SpecialKey::keypad8, Key::keypad8},
    {SpecialKey::keypad9, Key::keypad9},
    {SpecialKey::keypadClear, Key::keypadClear},
    {SpecialKey::keypadDecimal, Key::keypadDecimal},
    {SpecialKey::keypadDivide, Key::keypadDivide},
    {SpecialKey::keypadEnter, Key::keypadEnter},
    {SpecialKey::keypadEquals, Key::keypadEquals},
    {SpecialKey::keypadMinus, Key::keypadMinus},
    {SpecialKey::keypadMultiply, Key::keypadMultiply},
    {SpecialKey::keypadPlus, Key::keypadPlus},
}};

const std::unordered_map<int, SpecialKey>& keyCodeToSpecialKey() {
    static const auto table = [] {
        std::unordered_map<int, SpecialKey> map;
        map.reserve(specialKeyCodes.size());
        for (const auto& [special, key] : specialKeyCodes)
            map.emplace(key.rawValue, special);
        return map;
    }();
    return table;
}

std::string utf8(UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    std::size_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, c);
    return std::string(buffer, length);
}

constexpr const char* keycap = "\u20E3";

std::string spaceWord() {
    // Without a catalogue the lookup answers with the key itself; English is better than that.
    constexpr std::string_view key = "space_key";
    std::string word = moduleText(key);
    if (word == key)
        word = "space";
    return capitalized(word);
}

// The symbols shared by the display text and the menu key equivalent.
std::optional<std::string> namedKeySymbol(SpecialKey key) {
    switch (key) {
        case SpecialKey::return_:
            return "\u21A9";
        case SpecialKey::delete_:
            return "\u232B";
        case SpecialKey::deleteForward:
            return "\u2326";
        case SpecialKey::end:
            return "\u2198";
        case SpecialKey::escape:
            return "\u238B";
        case SpecialKey::help:
            return "?\u20DD";
        case SpecialKey::home:
            return "\u2196";
        case SpecialKey::tab:
            return "\u21E5";
        case SpecialKey::pageUp:
            return "\u21DE";
        case SpecialKey::pageDown:
            return "\u21DF";
        case SpecialKey::upArrow:
            return "\u2191";
        case SpecialKey::rightArrow:
            return "\u2192";
        case SpecialKey::downArrow:
            return "\u2193";
        case SpecialKey::leftArrow:
            return "\u2190";
        default:
            return std::nullopt;
    }
}

std::string keypadDescription(SpecialKey key) {
    if (isBetween(key, SpecialKey::keypad0, SpecialKey::keypad9)) {
        return std::to_string(offset(key, SpecialKey::keypad0)) + keycap;
    }
    switch (key) {
        case SpecialKey::keypadClear:
            return std::string("\u2612") + keycap;
        case SpecialKey::keypadDecimal:
            return std::string(".") + keycap;
        case SpecialKey::keypadDivide:
            return std::string("/") + keycap;
        case SpecialKey::keypadEnter:
            return std::string("\u21A9") + keycap;
        case SpecialKey::keypadEquals:
            return std::string("=") + keycap;
        case SpecialKey::keypadMinus:
            return std::string("-") + keycap;
        case SpecialKey::keypadMultiply:
            return std::string("*") + keycap;
        default:
            return std::string("+") + keycap;
    }
}

}  // namespace

std::optional<SpecialKey> specialKeyForKeyCode(int keyCode) {
    const auto& table = keyCodeToSpecialKey();
    auto it = table.find(keyCode);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

std::string presentableDescription(SpecialKey key) {
    if (auto symbol = namedKeySymbol(key))
        return *symbol;
    if (key == SpecialKey::space)
        return spaceWord();
    if (isBetween(key, SpecialKey::f1, SpecialKey::f20)) {
        return "F" + std::to_string(offset(key, SpecialKey::f1) + 1);
    }
    return keypadDescription(key);
}

std::optional<std::string> menuItemKeyEquivalent(SpecialKey key) {
    if (auto symbol = namedKeySymbol(key))
        return symbol;
    if (key == SpecialKey::space)
        return " ";
    if (isBetween(key, SpecialKey::f1, SpecialKey::f20)) {
        // The menu system's private-use function-key characters, U+F704 for F1 onwards.
        return utf8(0xF704 + offset(key, SpecialKey::f1));
    }
    return std::nullopt;
}

}  // namespace pindrake::GlobalShortcuts
