#pragma once

#include <functional>
#include <optional>

#include "platform/KeyboardLayout.h"
#include "shortcuts/Registry.h"

class QAbstractButton;
class QWidget;

namespace pindrake::GlobalShortcuts {

// Gives the button the name's stored shortcut as its own in-window shortcut: none while any
// recorder records (so recording a combination does not press the button), and the new one
// at once after each change. For as long as the button lives.
void globalKeyboardShortcut(QAbstractButton& button, const Name& name, Registry& registry,
                            const platform::KeyboardLayout& layout);

// Runs the action for each press and release of the name's global hot key while the widget is
// shown (only those of `only` when given); a widget shown again starts a new stream.
void onKeyboardShortcut(QWidget& widget, const Name& name, Registry& registry,
                        std::function<void(EventType)> action,
                        std::optional<EventType> only = std::nullopt);

}  // namespace pindrake::GlobalShortcuts
