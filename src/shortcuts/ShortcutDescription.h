#pragma once

#include <optional>
#include <string>

#include "platform/KeyboardLayout.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {

// What the user sees, such as "⇧⌘V": the modifier symbols, then the special key's text or the
// key's character in the active layout, capitalised; U+FFFD when the layout gives none.
std::string description(const Shortcut& shortcut, const platform::KeyboardLayout& layout);

// The character the key types with no modifier held; none for special keys.
std::optional<std::string> keyToCharacter(const Shortcut& shortcut,
                                          const platform::KeyboardLayout& layout);

// The key equivalent a menu item would show for this shortcut: the special key's symbol, or the
// layout character as it comes (lower case for letters; shift lives in the modifiers).
std::optional<std::string> menuItemKeyEquivalent(const Shortcut& shortcut,
                                                 const platform::KeyboardLayout& layout);

}  // namespace pindrake::GlobalShortcuts
