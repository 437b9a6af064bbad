#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/HotKeyBackend.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/EventType.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {

// The hot keys held at the system: one per requested shortcut, each under its own identifier.
// While suspended (switched off, or a menu of ours is open) the records stay and the grabs go.
class SystemHotKeys {
  public:
    using Handler = std::function<void(const Shortcut&, EventType)>;

    SystemHotKeys(platform::HotKeyBackend& backend, const platform::KeyboardLayout& layout,
                  Handler handler);
    ~SystemHotKeys();
    SystemHotKeys(const SystemHotKeys&) = delete;
    SystemHotKeys& operator=(const SystemHotKeys&) = delete;

    // Every attempt takes the next identifier, counting from 1, even when it fails. A refusal is
    // logged and leaves nothing behind. While suspended the hot key is only recorded.
    bool registerShortcut(const Shortcut& shortcut);
    void unregister(const Shortcut& shortcut);
    bool isRegistered(const Shortcut& shortcut) const;

    void suspend();
    // Grabs every recorded hot key again under its own identifier. Those refused now are logged,
    // dropped and returned.
    std::vector<Shortcut> resume();
    bool isSuspended() const { return suspended_; }

    // A key event that reached the application while hot keys are suspended for an open menu:
    // runs the first matching hot key (by identifier). Returns whether one matched.
    bool dispatchKeyEvent(EventType type, const Shortcut& pressed);

    bool isTakenElsewhere(const Shortcut& shortcut);

  private:
    using HotKeyId = platform::HotKeyBackend::HotKeyId;
    struct HotKey {
        Shortcut shortcut;
        bool held = false;
    };

    int grab(HotKeyId id, const Shortcut& shortcut);
    void onBackendEvent(HotKeyId id, platform::HotKeyBackend::Event event);

    platform::HotKeyBackend& backend_;
    const platform::KeyboardLayout& layout_;
    Handler handler_;
    std::map<HotKeyId, HotKey> hotKeys_;
    HotKeyId lastId_ = 0;
    bool suspended_ = false;
};

}  // namespace pindrake::GlobalShortcuts
