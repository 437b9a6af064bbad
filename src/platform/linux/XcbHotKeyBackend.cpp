#include "platform/linux/XcbHotKeyBackend.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include <xcb/xcb.h>
// The XKB protocol header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "foundation/Log.h"
#include "platform/linux/XcbConnection.h"
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

template <class T>
struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

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

    // Without this a held key repeats as release-press pairs, each of which would fire.
    const std::uint32_t repeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    Reply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
        connection_,
        xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD, repeat, repeat, 0, 0, 0),
        nullptr));
    if (!flags || !(flags->value & repeat)) {
        log::warning("Hot keys: detectable auto-repeat is not available; a held key repeats");
    }

    // Which of Mod1 to Mod5 carry Alt, Super and NumLock on this keyboard.
    Reply<xcb_get_modifier_mapping_reply_t> mapping(xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (mapping) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            const auto bit = static_cast<std::uint16_t>(1u << modifier);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0)
                    continue;
                if (keyTypesOneOf(keymap_, keycode, superKeys))
                    masks_.super |= bit;
                if (keyTypesOneOf(keymap_, keycode, altKeys))
                    masks_.alt |= bit;
                if (keyTypesOneOf(keymap_, keycode, numLockKeys))
                    masks_.numLock |= bit;
            }
        }
    }
    // Shift, Lock and Control are fixed by the protocol; only Mod1 to Mod5 vary.
    constexpr std::uint16_t fixed = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_CONTROL;
    masks_.super &= ~fixed;
    masks_.alt &= ~(fixed | masks_.super);
    masks_.numLock &= ~(fixed | masks_.super | masks_.alt);

    // An unmapped window of ours, only there to wake the reader when we close.
    wakeWindow_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, 0, wakeWindow_, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection_);

    dispatch_ = std::make_shared<Dispatch>(Dispatch{this});
    reader_ = std::thread([this, weak = std::weak_ptr<Dispatch>(dispatch_)] { readEvents(weak); });
    return true;
}

void XcbHotKeyBackend::readEvents(std::weak_ptr<Dispatch> dispatch) {
    while (xcb_generic_event_t* raw = xcb_wait_for_event(connection_)) {
        Reply<xcb_generic_event_t> event(raw);
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(raw);
            if (message->window == wakeWindow_)
                return;
            continue;
        }
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            continue;
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(raw);
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
    const auto modifiers = static_cast<std::uint16_t>(state & 0xFF & ~ignored);
    for (const auto& [id, combination] : grabs_) {
        if (combination.keycode != keycode || combination.modifiers != modifiers)
            continue;
        down_.emplace(keycode, id);
        if (handler_)
            handler_(id, Event::pressed);
        return;
    }
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
        grabs_[id] = *wanted;
    return status;
}

void XcbHotKeyBackend::unregisterHotKey(HotKeyId id) {
    auto it = grabs_.find(id);
    if (it == grabs_.end())
        return;
    const Combination released = it->second;
    grabs_.erase(it);
    std::erase_if(down_, [id](const auto& entry) { return entry.second == id; });
    if (!isHeldByUs(released))
        ungrab(released);
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
        Reply<xcb_generic_error_t> error(xcb_request_check(connection_, cookies[i]));
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
        xcb_flush(connection_);
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
    // A round trip: once this returns, other programs can grab the combination.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool XcbHotKeyBackend::isHeldByUs(const Combination& combination) const {
    for (const auto& [id, held] : grabs_) {
        if (held == combination)
            return true;
    }
    return false;
}

}  // namespace pindrake::platform
