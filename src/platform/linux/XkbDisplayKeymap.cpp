#include "platform/linux/XkbDisplayKeymap.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace pindrake::platform {

std::optional<XkbDisplayKeymap> readXkbDisplayKeymap(xcb_connection_t* connection) {
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return std::nullopt;
    const std::int32_t deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    if (deviceId < 0)
        return std::nullopt;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return std::nullopt;
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(context, connection, deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return std::nullopt;
    }
    return XkbDisplayKeymap{context, keymap, deviceId};
}

}  // namespace pindrake::platform
