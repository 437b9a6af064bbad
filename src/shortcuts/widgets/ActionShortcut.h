#pragma once

#include <optional>

#include "platform/KeyboardLayout.h"
#include "shortcuts/Registry.h"

class QAction;

namespace pindrake::GlobalShortcuts {

// Shows a shortcut as the action's own key sequence (in its menus, and in force in its
// window); none, or a key without a key equivalent, shows none.
void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut,
                 const platform::KeyboardLayout& layout);

// Binds the action to a name: it shows the name's stored shortcut, and follows each change of
// it on the next turn of the event loop, until it is bound to another name or to none. An
// action holds one binding at a time; the binding goes with the action.
void bindShortcut(QAction& action, const std::optional<Name>& name, Registry& registry,
                  const platform::KeyboardLayout& layout);

}  // namespace pindrake::GlobalShortcuts
