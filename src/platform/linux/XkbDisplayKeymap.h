#pragma once

#include <cstdint>
#include <optional>

struct xcb_connection_t;
struct xkb_context;
struct xkb_keymap;

namespace pindrake::platform {

// The core keyboard's keymap as the X server has it. The caller owns both references.
struct XkbDisplayKeymap {
    xkb_context* context;
    xkb_keymap* keymap;
    std::int32_t deviceId;
};

// Nothing when the display has no XKB extension or its keymap cannot be read.
std::optional<XkbDisplayKeymap> readXkbDisplayKeymap(xcb_connection_t* connection);

}  // namespace pindrake::platform
