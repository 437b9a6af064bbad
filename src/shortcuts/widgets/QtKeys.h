#pragma once

#include <QKeySequence>

#include <optional>

#include "platform/KeyboardLayout.h"
#include "shortcuts/ModifierFlags.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {

// Qt calls Super "Meta" on X11; the stored shortcuts call it Command.
Qt::KeyboardModifiers qtModifiers(ModifierFlags flags);
ModifierFlags modifierFlags(Qt::KeyboardModifiers modifiers);

// Whether the key only changes the modifiers (Shift, Super, the lock keys...). Such presses
// are what a user makes on the way to a combination; they never form one themselves.
bool isModifierKey(int qtKey);

// The shortcut as the toolkit's own key sequence, for actions and buttons: the special key's Qt
// key or the key's character in the layout, with its modifiers. None when the key has no key
// equivalent (the keypad keys, a dead key).
std::optional<QKeySequence> keySequence(const Shortcut& shortcut,
                                        const platform::KeyboardLayout& layout);

}  // namespace pindrake::GlobalShortcuts
