#include "platform/linux/XcbHotKeyBackend.h"

#include <array>
#include <set>
#include <string>
#include <vector>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "foundation/Log.h"
#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbXkb.h"
#include "platform/linux/XkbDisplayKeymap.h"
#include "platform/linux/XkbKeyNames.h"

namespace pindrake::platform {

namespace {

constexpr std::uint8_t badAccess = 10;

// Keysyms that name the modifiers we look up in the server's modifier map.
constexpr std::array<xkb_keysym_t, 2> superKeys{XKB_KEY_Super_L, XKB_KEY_Super_R};
constexpr std::array<xkb_keysym_t, 4> altKeys{XKB_KEY_Alt_L, XKB_KEY_Alt_R, XKB_KEY_Meta_L,
                                              XKB_KEY_Meta_R};
constexpr std::array<xkb_keysym_t, 1> numLockKeys{XKB_KEY_Num_Lock};

template <std::size_t N>
bool keyTypesOneOf(xkb_keymap* keymap, xkb_keycode_t keycode,
                   const std::array<xkb_keysym_t, N>& wanted) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &syms);
    for (int i = 0; i < count; ++i) {
        for (auto sym : wanted) {
            if (syms[i] == sym)
                return true;
        }
    }
    return false;
}

std::string describe(std::uint32_t keyCode, std::uint32_t carbon) {
    return "key code " + std::to_string(keyCode) + " with modifier mask " + std::to_string(carbon);
}

}  // namespace

std::unique_ptr<XcbHotKeyBackend> XcbHotKeyBackend::connect(Scheduler& mainQueue) {
    XcbConnection display;
    if (!display.isConnected())
        return nullptr;
    const xcb_window_t root = display.root();
    xcb_connection_t* connection = display.release();
    std::unique_ptr<XcbHotKeyBackend> backend(new XcbHotKeyBackend(mainQueue, connection, root));
    if (!backend->setUp())
        return nullptr;
    return backend;
}

XcbHotKeyBackend::XcbHotKeyBackend(Scheduler& mainQueue, xcb_connection_t* connection,
                                   std::uint32_t root)
    : mainQueue_(mainQueue), connection_(connection), root_(root) {}

XcbHotKeyBackend::~XcbHotKeyBackend() {
    // Posted events still on their way find no backend.
    dispatch_.reset();
    if (reader_.joinable()) {
        xcb_client_message_event_t wake{};
        wake.response_type = XCB_CLIENT_MESSAGE;
        wake.format = 32;
        wake.window = wakeWindow_;
        xcb_send_event(connection_, 0, wakeWindow_, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&wake));
        xcb_flush(connection_);
        reader_.join();
    }
    if (keymap_)
        xkb_keymap_unref(keymap_);
    if (xkbContext_)
        xkb_context_unref(xkbContext_);
    // Closing the connection releases every grab it holds.
    xcb_disconnect(connection_);
}

bool XcbHotKeyBackend::setUp() {
    auto display = readXkbDisplayKeymap(connection_);
    if (!display) {
        log::warning("Hot keys: the display's keymap could not be read");
        return false;
    }
    xkbContext_ = display->context;
    keymap_ = display->keymap;
    deviceId_ = display->deviceId;
    if (const auto* xkb = xcb_get_extension_data(connection_, &xcb_xkb_id))
        xkbEventBase_ = xkb->first_event;

    // Without this a held key repeats as release-press pairs, each of which would fire.
    const std::uint32_t repeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    auto flags = xcbReply(xcb_xkb_per_client_flags_reply(
        connection_,
        xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD, repeat, repeat, 0, 0, 0),
        nullptr));
    if (!flags || !(flags->value & repeat)) {
        log::warning("Hot keys: detectable auto-repeat is not available; a held key repeats");
    }
    // Told of new keymaps and remapped modifiers, so that the grabs follow them.
    const std::uint16_t mapEvents =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events(connection_, static_cast<xcb_xkb_device_spec_t>(deviceId_), mapEvents, 0,
                          mapEvents, 0xFF, 0xFF, nullptr);
    masks_ = readModifierMasks();

    // An unmapped window of ours, only there to wake the reader when we close.
    wakeWindow_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, 0, wakeWindow_, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection_);

    dispatch_ = std::make_shared<Dispatch>(Dispatch{this});
    reader_ = std::thread([this, weak = std::weak_ptr<Dispatch>(dispatch_)] { readEvents(weak); });
    return true;
}

// Which of Mod1 to Mod5 carry Alt, Super and NumLock on this keyboard now.
XcbHotKeyBackend::ModifierMasks XcbHotKeyBackend::readModifierMasks() const {
    ModifierMasks masks;
    auto mapping = xcbReply(xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (!mapping)
        return masks;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        const auto bit = static_cast<std::uint16_t>(1u << modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (keycode == 0)
                continue;
            if (keyTypesOneOf(keymap_, keycode, superKeys))
                masks.super |= bit;
            if (keyTypesOneOf(keymap_, keycode, altKeys))
                masks.alt |= bit;
            if (keyTypesOneOf(keymap_, keycode, numLockKeys))
                masks.numLock |= bit;
        }
    }
    // Shift, Lock and Control are fixed by the protocol; only Mod1 to Mod5 vary.
    constexpr std::uint16_t fixed = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_CONTROL;
    masks.super &= ~fixed;
    masks.alt &= ~(fixed | masks.super);
    masks.numLock &= ~(fixed | masks.super | masks.alt);
    return masks;
}

void XcbHotKeyBackend::readEvents(std::weak_ptr<Dispatch> dispatch) {
    while (auto event = xcbReply(xcb_wait_for_event(connection_))) {
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
            if (message->window == wakeWindow_)
                return;
            continue;
        }
        if (type == XCB_MAPPING_NOTIFY || (xkbEventBase_ && type == xkbEventBase_)) {
            if (!mappingChangePosted_.exchange(true)) {
                mainQueue_.post([dispatch] {
                    if (auto live = dispatch.lock())
                        live->backend->followMappingChange();
                });
            }
            continue;
        }
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            continue;
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
        const bool pressed = type == XCB_KEY_PRESS;
        const std::uint8_t keycode = key->detail;
        const std::uint16_t state = key->state;
        mainQueue_.post([dispatch, pressed, keycode, state] {
            if (auto live = dispatch.lock())
                live->backend->onKeyEvent(pressed, keycode, state);
        });
    }
}

void XcbHotKeyBackend::onKeyEvent(bool pressed, std::uint8_t keycode, std::uint16_t state) {
    if (!pressed) {
        auto it = down_.find(keycode);
        if (it == down_.end())
            return;
        const HotKeyId id = it->second;
        down_.erase(it);
        if (handler_)
            handler_(id, Event::released);
        return;
    }
    // A key already down is repeating.
    if (down_.contains(keycode))
        return;
    const std::uint16_t ignored = XCB_MOD_MASK_LOCK | masks_.numLock;
    const Combination pressedCombination{keycode,
                                         static_cast<std::uint16_t>(state & 0xFF & ~ignored)};
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.held != pressedCombination)
            continue;
        down_.emplace(keycode, id);
        if (handler_)
            handler_(id, Event::pressed);
        return;
    }
}

void XcbHotKeyBackend::followMappingChange() {
    mappingChangePosted_ = false;
    if (xkb_keymap* fresh = xkb_x11_keymap_new_from_device(xkbContext_, connection_, deviceId_,
                                                           XKB_KEYMAP_COMPILE_NO_FLAGS)) {
        xkb_keymap_unref(keymap_);
        keymap_ = fresh;
    }
    // Let go under the old mapping before the masks change, then grab under the new one.
    std::set<Combination> released;
    for (auto& [id, hotKey] : hotKeys_) {
        if (hotKey.held && released.insert(*hotKey.held).second)
            ungrab(*hotKey.held);
        hotKey.held.reset();
    }
    masks_ = readModifierMasks();
    std::set<Combination> regrabbed;
    for (auto& [id, hotKey] : hotKeys_) {
        int status = statusOk;
        const auto wanted = combination(hotKey.keyCode, hotKey.carbonModifiers, status);
        if (wanted && (regrabbed.contains(*wanted) || grab(*wanted) == statusOk)) {
            regrabbed.insert(*wanted);
            hotKey.held = wanted;
        } else {
            log::warning("Hot keys: " + describe(hotKey.keyCode, hotKey.carbonModifiers) +
                         " could not be grabbed again after the keyboard mapping changed");
        }
    }
    sync();
}

int XcbHotKeyBackend::registerHotKey(HotKeyId id, std::uint32_t keyCode,
                                     std::uint32_t carbonModifiers) {
    int status = statusOk;
    const auto wanted = combination(keyCode, carbonModifiers, status);
    if (!wanted)
        return status;
    // A second identifier for a combination we hold already shares the grab.
    if (!isHeldByUs(*wanted))
        status = grab(*wanted);
    if (status == statusOk)
        hotKeys_[id] = HotKey{keyCode, carbonModifiers, wanted};
    return status;
}

void XcbHotKeyBackend::unregisterHotKey(HotKeyId id) {
    auto it = hotKeys_.find(id);
    if (it == hotKeys_.end())
        return;
    const auto released = it->second.held;
    hotKeys_.erase(it);
    std::erase_if(down_, [id](const auto& entry) { return entry.second == id; });
    if (released && !isHeldByUs(*released)) {
        ungrab(*released);
        sync();
    }
}

bool XcbHotKeyBackend::isTakenElsewhere(std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    int status = statusOk;
    const auto probe = combination(keyCode, carbonModifiers, status);
    if (!probe || isHeldByUs(*probe))
        return false;
    // Grabbing is the only way to ask; a grab that succeeds is given back at once.
    if (grab(*probe) == statusTaken)
        return true;
    ungrab(*probe);
    sync();
    return false;
}

void XcbHotKeyBackend::setEventHandler(EventHandler handler) {
    handler_ = std::move(handler);
}

std::optional<XcbHotKeyBackend::Combination> XcbHotKeyBackend::combination(std::uint32_t keyCode,
                                                                           std::uint32_t carbon,
                                                                           int& status) const {
    status = statusInvalid;
    // There is no Function modifier to grab on X11.
    if (carbon & CarbonModifier::function)
        return std::nullopt;
    if (keyCode > 0xFFFF)
        return std::nullopt;
    const auto name = xkbKeyName(static_cast<std::uint16_t>(keyCode));
    if (!name)
        return std::nullopt;
    const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap_, std::string(*name).c_str());
    if (keycode == XKB_KEYCODE_INVALID || keycode > 255)
        return std::nullopt;

    std::uint16_t modifiers = 0;
    if (carbon & CarbonModifier::shift)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (carbon & CarbonModifier::control)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (carbon & CarbonModifier::option) {
        if (!masks_.alt)
            return std::nullopt;
        modifiers |= masks_.alt;
    }
    if (carbon & CarbonModifier::command) {
        if (!masks_.super)
            return std::nullopt;
        modifiers |= masks_.super;
    }
    status = statusOk;
    return Combination{static_cast<std::uint8_t>(keycode), modifiers};
}

int XcbHotKeyBackend::grab(const Combination& combination) {
    const std::array<std::uint16_t, 4> locks{
        0, XCB_MOD_MASK_LOCK, masks_.numLock,
        static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | masks_.numLock)};
    // Without a NumLock modifier the last two variants repeat the first two.
    const std::size_t variants = masks_.numLock ? 4 : 2;
    std::vector<xcb_void_cookie_t> cookies;
    for (std::size_t i = 0; i < variants; ++i) {
        cookies.push_back(
            xcb_grab_key_checked(connection_, 0, root_, combination.modifiers | locks[i],
                                 combination.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    int status = statusOk;
    std::vector<std::uint16_t> taken;
    for (std::size_t i = 0; i < variants; ++i) {
        auto error = xcbReply(xcb_request_check(connection_, cookies[i]));
        if (!error) {
            taken.push_back(combination.modifiers | locks[i]);
        } else if (status == statusOk) {
            status = error->error_code == badAccess ? statusTaken : statusInvalid;
        }
    }
    if (status != statusOk) {
        // All four or none: a half-held combination would fire only with some lock states.
        for (auto modifiers : taken) {
            xcb_ungrab_key(connection_, combination.keycode, root_, modifiers);
        }
        sync();
    }
    return status;
}

void XcbHotKeyBackend::ungrab(const Combination& combination) {
    const std::array<std::uint16_t, 4> locks{
        0, XCB_MOD_MASK_LOCK, masks_.numLock,
        static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | masks_.numLock)};
    for (auto lock : locks) {
        xcb_ungrab_key(connection_, combination.keycode, root_, combination.modifiers | lock);
    }
}

// A round trip: once this returns, the server has handled every request sent before, so other
// programs see our grabs and ungrabs.
void XcbHotKeyBackend::sync() {
    xcbReply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool XcbHotKeyBackend::isHeldByUs(const Combination& combination) const {
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.held == combination)
            return true;
    }
    return false;
}

}  // namespace pindrake::platform
