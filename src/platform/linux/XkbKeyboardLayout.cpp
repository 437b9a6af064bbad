#include "platform/linux/XkbKeyboardLayout.h"

#include <cstdlib>
#include <string>

#include <xcb/xcb.h>
// The XKB protocol header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "foundation/Log.h"
#include "platform/linux/XkbDisplayKeymap.h"
#include "platform/linux/XkbKeyNames.h"

namespace pindrake::platform {

XkbKeyboardLayout::XkbKeyboardLayout(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap) {}

XkbKeyboardLayout::~XkbKeyboardLayout() {
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
    if (connection_)
        xcb_disconnect(connection_);
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::fromNames(std::string_view layouts,
                                                                std::string_view variants) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context)
        return nullptr;
    const std::string layout(layouts);
    const std::string variant(variants);
    const xkb_rule_names names{"evdev", "pc105", layout.c_str(), variant.c_str(), nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyboardLayout>(new XkbKeyboardLayout(context, keymap));
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::forDisplay() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    auto display =
        xcb_connection_has_error(connection) ? std::nullopt : readXkbDisplayKeymap(connection);
    if (!display) {
        log::warning("Keyboard layout: the display's keymap is out of reach; using \"us\"");
        xcb_disconnect(connection);
        return fromNames("us");
    }
    std::unique_ptr<XkbKeyboardLayout> layout(
        new XkbKeyboardLayout(display->context, display->keymap));
    layout->connection_ = connection;
    layout->deviceId_ = display->deviceId;
    const std::int32_t deviceId = display->deviceId;
    // Told of new keymaps, so that characterFor can pick them up.
    const std::uint16_t events =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events(connection, static_cast<xcb_xkb_device_spec_t>(deviceId), events, 0,
                          events, 0, 0, nullptr);
    xcb_flush(connection);
    return layout;
}

void XkbKeyboardLayout::followDisplayChanges() const {
    if (!connection_)
        return;
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        changed = true;
        std::free(event);
    }
    if (!changed)
        return;
    xkb_keymap* fresh = xkb_x11_keymap_new_from_device(context_, connection_, deviceId_,
                                                       XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!fresh)
        return;
    xkb_keymap_unref(keymap_);
    keymap_ = fresh;
}

std::uint32_t XkbKeyboardLayout::activeGroup() const {
    if (!connection_)
        return fixedGroup_;
    auto cookie = xcb_xkb_get_state(connection_, static_cast<xcb_xkb_device_spec_t>(deviceId_));
    xcb_xkb_get_state_reply_t* reply = xcb_xkb_get_state_reply(connection_, cookie, nullptr);
    if (!reply)
        return 0;
    const std::uint32_t group = reply->group;
    std::free(reply);
    return group;
}

std::optional<std::string> XkbKeyboardLayout::characterFor(std::uint16_t virtualKeyCode) const {
    followDisplayChanges();
    const auto name = xkbKeyName(virtualKeyCode);
    if (!name)
        return std::nullopt;
    const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap_, std::string(*name).c_str());
    if (keycode == XKB_KEYCODE_INVALID)
        return std::nullopt;

    // A state with no modifier held, in the active group; it applies the key's own group
    // wrapping when the key has fewer groups than the keymap.
    xkb_state* state = xkb_state_new(keymap_);
    if (!state)
        return std::nullopt;
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, activeGroup());
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_state_key_get_syms(state, keycode, &syms);
    const xkb_keysym_t sym = count == 1 ? syms[0] : XKB_KEY_NoSymbol;
    xkb_state_unref(state);

    // Dead keys and keys without a character (modifiers, media keys) have no UTF-32 form.
    const std::uint32_t codePoint = xkb_keysym_to_utf32(sym);
    if (codePoint < 0x20 || codePoint == 0x7F)
        return std::nullopt;
    char buffer[8];
    const int size = xkb_keysym_to_utf8(sym, buffer, sizeof buffer);
    if (size <= 1)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(size - 1));
}

std::optional<std::uint16_t> XkbKeyboardLayout::virtualKeyCodeForKeycode(
    std::uint32_t keycode) const {
    followDisplayChanges();
    const char* name = xkb_keymap_key_get_name(keymap_, keycode);
    if (!name)
        return std::nullopt;
    return virtualKeyCode(name);
}

}  // namespace pindrake::platform
