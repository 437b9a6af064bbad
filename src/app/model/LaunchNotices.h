#pragma once

#include <optional>
#include <string>

#include "platform/KeyboardLayout.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::app {

// What the terminal shows once the application runs, so that it is not taken for a stuck one:
// the hot key that opens the history (the tray, when there is none) and how to quit.
std::string runningNotice(const std::optional<GlobalShortcuts::Shortcut>& hotKey,
                          const platform::KeyboardLayout& layout);

// Why a second start on the same history folder ends at once.
std::string alreadyRunningNotice(const std::string& historyFolder);

}  // namespace pindrake::app
