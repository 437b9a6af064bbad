#include "shortcuts/ShortcutDescription.h"

#include "shortcuts/SpecialKey.h"
#include "shortcuts/TextCase.h"

namespace pindrake::GlobalShortcuts {

std::string description(const Shortcut& shortcut, const platform::KeyboardLayout& layout) {
    std::string text = symbolicRepresentation(shortcut.modifiers());
    if (auto special = specialKeyForKeyCode(shortcut.carbonKeyCode)) {
        return text + presentableDescription(*special);
    }
    if (auto character = keyToCharacter(shortcut, layout))
        return text + capitalized(*character);
    return text + "\uFFFD";
}

std::optional<std::string> keyToCharacter(const Shortcut& shortcut,
                                          const platform::KeyboardLayout& layout) {
    if (specialKeyForKeyCode(shortcut.carbonKeyCode))
        return std::nullopt;
    if (shortcut.carbonKeyCode < 0 || shortcut.carbonKeyCode > 0xFFFF)
        return std::nullopt;
    return layout.characterFor(static_cast<std::uint16_t>(shortcut.carbonKeyCode));
}

std::optional<std::string> menuItemKeyEquivalent(const Shortcut& shortcut,
                                                 const platform::KeyboardLayout& layout) {
    if (auto special = specialKeyForKeyCode(shortcut.carbonKeyCode)) {
        return menuItemKeyEquivalent(*special);
    }
    return keyToCharacter(shortcut, layout);
}

}  // namespace pindrake::GlobalShortcuts
