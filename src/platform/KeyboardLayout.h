#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pindrake::platform {

// The user's keyboard layout, asked what a key types.
class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;

    // The one character (UTF-8) that the key with this virtual key code types with no modifier
    // held, in the active layout. None for a dead key, a key that types nothing or more than one
    // character, and a key code the layout does not know.
    virtual std::optional<std::string> characterFor(std::uint16_t virtualKeyCode) const = 0;
};

}  // namespace pindrake::platform
