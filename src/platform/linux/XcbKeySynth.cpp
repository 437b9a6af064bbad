#include "platform/linux/XcbKeySynth.h"

#include <xcb/xtest.h>

#include "platform/linux/XcbReply.h"

#include <algorithm>

namespace pindrake::platform {

namespace {

struct Key {
    xcb_keysym_t keysym;
    // The evdev key code, for a keyboard map without the symbol (a layout without Latin
    // letters still has its V key there).
    xcb_keycode_t evdevFallback;
};

constexpr Key controlL = {0xFFE3, 37};
constexpr Key shiftL = {0xFFE1, 50};
constexpr Key insert = {0xFF63, 118};
constexpr Key lowerV = {0x0076, 55};

struct Chord {
    std::vector<Key> modifiers;
    Key key;
};

Chord chordFor(PasteKey key) {
    switch (key) {
        case PasteKey::controlShiftV:
            return {{controlL, shiftL}, lowerV};
        case PasteKey::shiftInsert:
            return {{shiftL}, insert};
        case PasteKey::controlV:
            break;
    }
    return {{controlL}, lowerV};
}

// Rows of the modifier map that are held, not locked: Shift, Control, Mod1 (Alt), Mod3, Mod4
// (Super), Mod5 (AltGr). Lock and Mod2 (Num Lock) toggle on a press, so they are left alone.
constexpr std::array<int, 6> heldRows = {0, 2, 3, 5, 6, 7};

// Looked up on every paste, so a keyboard layout switched meanwhile is followed.
std::vector<xcb_keycode_t> keycodesFor(xcb_connection_t* c, const std::vector<Key>& keys) {
    std::vector<xcb_keycode_t> found;
    for (const Key& key : keys)
        found.push_back(key.evdevFallback);
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto reply = xcbReply(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, first, static_cast<std::uint8_t>(count)), nullptr));
    if (!reply)
        return found;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKeycode = reply->keysyms_per_keycode;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const xcb_keysym_t* end = keysyms + count * perKeycode;
        const xcb_keysym_t* at = std::find(keysyms, end, keys[i].keysym);
        if (at != end)
            found[i] = static_cast<xcb_keycode_t>(first + (at - keysyms) / perKeycode);
    }
    return found;
}

}  // namespace

bool XcbKeySynth::isTrusted() const {
    if (!x_.isConnected())
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(x_.get(), &xcb_test_id);
    return extension && extension->present;
}

PasteKey XcbKeySynth::pasteKey() const {
    const auto frontmost = workspace_.frontmostApplication();
    if (!frontmost || !frontmost->bundleIdentifier)
        return PasteKey::controlV;
    return pasteKeyForWindowClass(*frontmost->bundleIdentifier);
}

void XcbKeySynth::postPaste(PasteKey key) {
    if (!isTrusted())
        return;
    const Chord chord = chordFor(key);
    std::vector<Key> keys = chord.modifiers;
    keys.push_back(chord.key);
    const std::vector<xcb_keycode_t> codes = keycodesFor(x_.get(), keys);
    const std::vector<xcb_keycode_t> held = heldModifierKeys();

    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_RELEASE, code);
    for (const xcb_keycode_t code : codes)
        fakeKey(XCB_KEY_PRESS, code);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        fakeKey(XCB_KEY_RELEASE, *code);
    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_PRESS, code);
}

// The keys of the modifier map that are down now.
std::vector<xcb_keycode_t> XcbKeySynth::heldModifierKeys() const {
    xcb_connection_t* c = x_.get();
    const auto keymapCookie = xcb_query_keymap(c);
    const auto mapping =
        xcbReply(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    const auto keymap = xcbReply(xcb_query_keymap_reply(c, keymapCookie, nullptr));
    std::vector<xcb_keycode_t> held;
    if (!mapping || !keymap)
        return held;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perRow = mapping->keycodes_per_modifier;
    for (const int row : heldRows) {
        for (int i = 0; i < perRow; ++i) {
            const xcb_keycode_t code = codes[row * perRow + i];
            const bool down = code != 0 && (keymap->keys[code / 8] & (1u << (code % 8))) != 0;
            if (down && std::find(held.begin(), held.end(), code) == held.end())
                held.push_back(code);
        }
    }
    return held;
}

void XcbKeySynth::fakeKey(std::uint8_t type, xcb_keycode_t keycode) {
    x_.succeeded(xcb_test_fake_input_checked(x_.get(), type, keycode, XCB_CURRENT_TIME,
                                             XCB_WINDOW_NONE, 0, 0, 0));
}

}  // namespace pindrake::platform
