#pragma once

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbReply.h"

namespace pindrake::test_support {

// Another X client, to see which combinations we hold, and the user's hands on the keyboard.
class OtherClient {
  public:
    // Grabs (and keeps) the combination; false when someone else holds it.
    bool grab(xcb_keycode_t keycode, std::uint16_t modifiers) {
        return x_.succeeded(xcb_grab_key_checked(x_.get(), 0, x_.root(), modifiers, keycode,
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    // Returns once the server has let go, so that other connections see it at once.
    void ungrab(xcb_keycode_t keycode, std::uint16_t modifiers) {
        x_.succeeded(xcb_ungrab_key_checked(x_.get(), keycode, x_.root(), modifiers));
    }
    bool canGrab(xcb_keycode_t keycode, std::uint16_t modifiers) {
        if (!grab(keycode, modifiers))
            return false;
        ungrab(keycode, modifiers);
        return true;
    }

    // False while some client holds the whole keyboard (an open popup menu, say).
    bool canGrabKeyboard() {
        const auto reply = platform::xcbReply(
            xcb_grab_keyboard_reply(x_.get(),
                                    xcb_grab_keyboard(x_.get(), 0, x_.root(), XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr));
        if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS)
            return false;
        x_.succeeded(xcb_ungrab_keyboard_checked(x_.get(), XCB_CURRENT_TIME));
        return true;
    }

    // Presses the keys in order and lets go of them in reverse, as a user would.
    void type(const std::vector<xcb_keycode_t>& keys) {
        for (auto key : keys)
            fakeKey(XCB_KEY_PRESS, key);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            fakeKey(XCB_KEY_RELEASE, *it);
    }

    // Exchanges two rows of the server's modifier map (0 is Shift ... 7 is Mod5).
    void swapModifiers(int a, int b) {
        const auto mapping = platform::xcbReply(
            xcb_get_modifier_mapping_reply(x_.get(), xcb_get_modifier_mapping(x_.get()), nullptr));
        ASSERT_TRUE(mapping);
        const int perModifier = mapping->keycodes_per_modifier;
        xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
        std::swap_ranges(keycodes + a * perModifier, keycodes + (a + 1) * perModifier,
                         keycodes + b * perModifier);
        const auto reply = platform::xcbReply(xcb_set_modifier_mapping_reply(
            x_.get(),
            xcb_set_modifier_mapping(x_.get(), static_cast<std::uint8_t>(perModifier), keycodes),
            nullptr));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, XCB_MAPPING_STATUS_SUCCESS);
    }

    // The window the server sends key presses to now; none when it could not be asked.
    xcb_window_t inputFocus() {
        const auto reply = platform::xcbReply(
            xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr));
        return reply ? reply->focus : xcb_window_t{XCB_WINDOW_NONE};
    }

    // The core keyboard state, locked modifiers included.
    std::uint16_t modifierState() {
        const auto pointer = platform::xcbReply(
            xcb_query_pointer_reply(x_.get(), xcb_query_pointer(x_.get(), x_.root()), nullptr));
        return pointer ? pointer->mask : 0;
    }

  private:
    void fakeKey(std::uint8_t type, xcb_keycode_t key) {
        x_.succeeded(
            xcb_test_fake_input_checked(x_.get(), type, key, XCB_CURRENT_TIME, x_.root(), 0, 0, 0));
    }

    platform::XcbConnection x_;
};

}  // namespace pindrake::test_support
