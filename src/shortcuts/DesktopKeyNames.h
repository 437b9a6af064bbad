#pragma once

#include <string>
#include <string_view>

#include "platform/KeyboardLayout.h"
#include "shortcuts/ModifierFlags.h"
#include "shortcuts/Shortcut.h"
#include "shortcuts/SpecialKey.h"

namespace pindrake::GlobalShortcuts {

// Where a shortcut acts decides which key its Command modifier is: a global hot key holds
// Super, a shortcut inside the app's own windows holds Ctrl.
enum class KeyScope { global, inApp };

// The modifiers a user holds for a shortcut where it acts: inside the app's windows its Command
// is Ctrl.
ModifierFlags heldModifiers(ModifierFlags modifiers, KeyScope scope);

// A key as the Linux desktop writes it wherever a person reads it: the modifier words in the
// desktop's order, then the key, joined by "+", as in "Shift+Super+V" or "Ctrl+Backspace".
// Stored shortcuts and their own descriptions keep the symbols; this is for display only.
std::string desktopKeyName(const Shortcut& shortcut, const platform::KeyboardLayout& layout,
                           KeyScope scope);
// The same for a key already named, such as a special key's name or a layout character.
std::string desktopKeyName(ModifierFlags modifiers, std::string_view keyName, KeyScope scope);
// "Backspace", "Return", "F5", "Keypad 7"...
std::string desktopKeyName(SpecialKey key);

}  // namespace pindrake::GlobalShortcuts
