#include "platform/linux/XkbKeyboardLayout.h"

#include <algorithm>
#include <array>

#include <string>

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "foundation/Log.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbXkb.h"
#include "platform/linux/XkbDisplayKeymap.h"
#include "platform/linux/XkbKeyNames.h"

namespace pindrake::platform {

namespace {

// The keys that carry the letters A to Z on a US keyboard.
constexpr std::array<const char*, 26> letterKeys{
    "AC01", "AB05", "AB03", "AC03", "AD03", "AC04", "AC05", "AC06", "AD08",
    "AC07", "AC08", "AC09", "AB07", "AB06", "AD09", "AD10", "AD01", "AD04",
    "AC02", "AD05", "AD07", "AB04", "AD02", "AB02", "AD06", "AB01"};

// The keysym a key types with no modifier held in a group, following the key's own group
// wrapping when it has fewer groups than the keymap.
xkb_keysym_t unmodifiedKeysym(xkb_keymap* keymap, xkb_keycode_t keycode, std::uint32_t group) {
    xkb_state* state = xkb_state_new(keymap);
    if (!state)
        return XKB_KEY_NoSymbol;
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, group);
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_state_key_get_syms(state, keycode, &syms);
    const xkb_keysym_t sym = count == 1 ? syms[0] : XKB_KEY_NoSymbol;
    xkb_state_unref(state);
    return sym;
}

// Whether the letter keys of a group type Latin letters (US, French, German, Dvorak) rather
// than those of another script (Russian, Greek): key names are shown in a Latin group.
bool typesLatinLetters(xkb_keymap* keymap, std::uint32_t group) {
    bool anyLetter = false;
    for (const char* name : letterKeys) {
        const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap, name);
        if (keycode == XKB_KEYCODE_INVALID)
            continue;
        const auto codePoint =
            static_cast<UChar32>(xkb_keysym_to_utf32(unmodifiedKeysym(keymap, keycode, group)));
        if (!u_isalpha(codePoint))
            continue;
        UErrorCode error = U_ZERO_ERROR;
        if (uscript_getScript(codePoint, &error) != USCRIPT_LATIN || U_FAILURE(error))
            return false;
        anyLetter = true;
    }
    return anyLetter;
}

}  // namespace

XkbKeyboardLayout::XkbKeyboardLayout(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap) {
    findLatinGroups();
}

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
    while (auto event = xcbReply(xcb_poll_for_event(connection_)))
        changed = true;
    if (!changed)
        return;
    xkb_keymap* fresh = xkb_x11_keymap_new_from_device(context_, connection_, deviceId_,
                                                       XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!fresh)
        return;
    xkb_keymap_unref(keymap_);
    keymap_ = fresh;
    findLatinGroups();
}

void XkbKeyboardLayout::findLatinGroups() const {
    latinGroups_.clear();
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(keymap_);
    for (xkb_layout_index_t group = 0; group < groups; ++group) {
        if (typesLatinLetters(keymap_, group))
            latinGroups_.push_back(group);
    }
}

const XkbKeyboardLayout* XkbKeyboardLayout::namingLayout(std::uint32_t& group) const {
    if (latinGroups_.empty()) {
        // No group types Latin letters: name keys as a US keyboard does.
        if (!usFallback_)
            usFallback_ = fromNames("us");
        group = 0;
        return usFallback_.get();
    }
    const std::uint32_t active = activeGroup();
    group = std::find(latinGroups_.begin(), latinGroups_.end(), active) != latinGroups_.end()
                ? active
                : latinGroups_.front();
    return this;
}

std::uint32_t XkbKeyboardLayout::activeGroup() const {
    if (!connection_)
        return fixedGroup_;
    auto cookie = xcb_xkb_get_state(connection_, static_cast<xcb_xkb_device_spec_t>(deviceId_));
    auto reply = xcbReply(xcb_xkb_get_state_reply(connection_, cookie, nullptr));
    return reply ? reply->group : 0;
}

std::optional<std::string> XkbKeyboardLayout::characterFor(std::uint16_t virtualKeyCode) const {
    followDisplayChanges();
    std::uint32_t group = 0;
    const XkbKeyboardLayout* layout = namingLayout(group);
    return layout ? layout->characterInGroup(virtualKeyCode, group) : std::nullopt;
}

std::optional<std::string> XkbKeyboardLayout::characterInGroup(std::uint16_t virtualKeyCode,
                                                               std::uint32_t group) const {
    const auto name = xkbKeyName(virtualKeyCode);
    if (!name)
        return std::nullopt;
    const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap_, std::string(*name).c_str());
    if (keycode == XKB_KEYCODE_INVALID)
        return std::nullopt;
    const xkb_keysym_t sym = unmodifiedKeysym(keymap_, keycode, group);

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
