#include "platform/linux/XcbKeySynth.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace pindrake::platform {

namespace {

constexpr xcb_keysym_t keysymControlL = 0xFFE3;
constexpr xcb_keysym_t keysymLowerV = 0x0076;
// The evdev key codes of Left Control and of the key in the V position, for a keyboard map
// without those symbols (a layout without Latin letters).
constexpr xcb_keycode_t evdevControlL = 37;
constexpr xcb_keycode_t evdevV = 55;

}  // namespace

bool XcbKeySynth::isTrusted() const {
    if (!x_.isConnected())
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(x_.get(), &xcb_test_id);
    return extension && extension->present;
}

void XcbKeySynth::postPaste() {
    if (!isTrusted())
        return;
    const xcb_keycode_t control = keycodeFor(keysymControlL).value_or(evdevControlL);
    const xcb_keycode_t v = keycodeFor(keysymLowerV).value_or(evdevV);
    fakeKey(XCB_KEY_PRESS, control);
    fakeKey(XCB_KEY_PRESS, v);
    fakeKey(XCB_KEY_RELEASE, v);
    fakeKey(XCB_KEY_RELEASE, control);
}

void XcbKeySynth::fakeKey(std::uint8_t type, xcb_keycode_t keycode) {
    x_.succeeded(xcb_test_fake_input_checked(x_.get(), type, keycode, XCB_CURRENT_TIME,
                                             XCB_WINDOW_NONE, 0, 0, 0));
}

// Looked up on every paste, so a keyboard layout switched meanwhile is followed.
std::optional<xcb_keycode_t> XcbKeySynth::keycodeFor(xcb_keysym_t keysym) const {
    const xcb_setup_t* setup = xcb_get_setup(x_.get());
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(
        x_.get(), xcb_get_keyboard_mapping(x_.get(), first, static_cast<std::uint8_t>(count)),
        nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<xcb_keycode_t> found;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perKeycode = reply->keysyms_per_keycode;
    for (int key = 0; key < count && !found; ++key) {
        for (int level = 0; level < perKeycode; ++level) {
            if (keysyms[key * perKeycode + level] == keysym) {
                found = static_cast<xcb_keycode_t>(first + key);
                break;
            }
        }
    }
    std::free(reply);
    return found;
}

}  // namespace pindrake::platform
