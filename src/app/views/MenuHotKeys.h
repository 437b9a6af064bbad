#pragma once

#include <memory>

#include "platform/linux/QtMenuKeyTap.h"
#include "shortcuts/Registry.h"

namespace pindrake::app::views {

// An open menu of the application holds the keyboard, so the global hot keys are let go while
// it is open: the keys it receives that make a hot key run that hot key and never reach the
// menu. Once the last menu closes, the hot keys are grabbed again (those refused before are
// asked for once more). Lasts as long as the returned tap.
std::unique_ptr<platform::QtMenuKeyTap> routeMenuKeysToHotKeys(
    GlobalShortcuts::Registry& registry, const platform::XkbKeyboardLayout& layout);

}  // namespace pindrake::app::views
