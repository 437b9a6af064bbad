#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "foundation/Scheduler.h"
#include "platform/HotKeyBackend.h"

struct xcb_connection_t;
struct xkb_context;
struct xkb_keymap;

namespace pindrake::platform {

// Hot keys as passive key grabs on the X root window, over a connection of its own.
//
// Each combination is grabbed four times, with and without CapsLock and NumLock, so that the
// lock keys do not get in the way. Another client's grab answers BadAccess: the combination is
// taken. Detectable auto-repeat is on, so a held key gives one press; the release is reported
// when the key that triggered is let go, whatever the modifiers did meanwhile. When the
// keyboard mapping changes (a new keymap, Super moved to another modifier), every hot key is
// grabbed again under the new mapping.
class XcbHotKeyBackend final : public HotKeyBackend {
  public:
    // Null when the display ($DISPLAY) cannot be reached. Events are read on a thread of this
    // backend's own and handed over through `mainQueue`.
    static std::unique_ptr<XcbHotKeyBackend> connect(Scheduler& mainQueue);
    ~XcbHotKeyBackend() override;

    int registerHotKey(HotKeyId id, std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void unregisterHotKey(HotKeyId id) override;
    bool isTakenElsewhere(std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void setEventHandler(EventHandler handler) override;

  private:
    struct Combination {
        std::uint8_t keycode;
        std::uint16_t modifiers;
        friend auto operator<=>(const Combination&, const Combination&) = default;
    };
    struct ModifierMasks {
        std::uint16_t alt = 0;
        std::uint16_t super = 0;
        std::uint16_t numLock = 0;
    };
    // A registered hot key as it was asked for, and what it holds under the current mapping
    // (nothing when the mapping offers no way to grab it).
    struct HotKey {
        std::uint32_t keyCode;
        std::uint32_t carbonModifiers;
        std::optional<Combination> held;
    };
    // The reader thread's way back to the backend on the main queue; gone with the backend.
    struct Dispatch {
        XcbHotKeyBackend* backend;
    };

    XcbHotKeyBackend(Scheduler& mainQueue, xcb_connection_t* connection, std::uint32_t root);

    bool setUp();
    ModifierMasks readModifierMasks() const;
    void readEvents(std::weak_ptr<Dispatch> dispatch);
    void onKeyEvent(bool pressed, std::uint8_t keycode, std::uint16_t state);
    void followMappingChange();
    std::optional<Combination> combination(std::uint32_t keyCode, std::uint32_t carbon,
                                           int& status) const;
    int grab(const Combination& combination);
    void ungrab(const Combination& combination);
    void sync();
    bool isHeldByUs(const Combination& combination) const;

    Scheduler& mainQueue_;
    xcb_connection_t* connection_;
    std::uint32_t root_;
    std::uint32_t wakeWindow_ = 0;
    std::int32_t deviceId_ = -1;
    std::uint8_t xkbEventBase_ = 0;
    xkb_context* xkbContext_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    ModifierMasks masks_;
    std::map<HotKeyId, HotKey> hotKeys_;
    // The hot key each key now held down triggered, so its release ends that hot key only.
    std::map<std::uint8_t, HotKeyId> down_;
    EventHandler handler_;
    std::shared_ptr<Dispatch> dispatch_;
    // One re-grab for a burst of mapping events.
    std::atomic<bool> mappingChangePosted_{false};
    std::thread reader_;
};

}  // namespace pindrake::platform
