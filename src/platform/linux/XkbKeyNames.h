#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pindrake::platform {

// Stored shortcuts name keys by the virtual key codes of the system they come from; X11 names
// them by XKB key names ("AB04" is the key right of C on any layout). This one table is where
// the two meet, so the stored values never change meaning.
std::optional<std::string_view> xkbKeyName(std::uint16_t virtualKeyCode);
std::optional<std::uint16_t> virtualKeyCode(std::string_view xkbName);

}  // namespace pindrake::platform
