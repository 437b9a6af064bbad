#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/KeyboardLayout.h"
#include "shortcuts/ModifierFlags.h"
#include "shortcuts/Shortcut.h"
#include "shortcuts/SpecialKey.h"

namespace pindrake::GlobalShortcuts {

// A menu item as far as its key equivalent goes: what the menu system would match a key press
// against. A menu expresses shift either in the modifiers or by an upper-case key equivalent.
struct MenuItem {
    std::string title;
    std::string keyEquivalent;
    ModifierFlags keyEquivalentModifiers;
    std::vector<MenuItem> submenu;
};

// The first item of the menu tree, depth first, whose key equivalent is this shortcut.
// A shortcut without a menu key equivalent (the keypad keys) never matches.
const MenuItem* takenByMenuItem(const Shortcut& shortcut, const std::vector<MenuItem>& menu,
                                const platform::KeyboardLayout& layout);

// The function keys, which may be recorded without modifiers: F1 to F20, all that stored
// shortcuts can name.
const std::set<SpecialKey>& functionKeys();

}  // namespace pindrake::GlobalShortcuts
