#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/Published.h"
#include "platform/Defaults.h"
#include "platform/HotKeyBackend.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/EventType.h"
#include "shortcuts/Name.h"
#include "shortcuts/ShortcutStore.h"
#include "shortcuts/SystemHotKeys.h"

namespace pindrake::GlobalShortcuts {

// Named global shortcuts: their storage, their hot keys and the actions attached to them.
// Main thread only; the application keeps one for its lifetime.
//
// A hot key is held while some name wants it: a name wants its stored shortcut once it is saved,
// given an action or a stream, or enabled, and stops wanting it when it is disabled or loses its
// last action and stream. Several names may share one shortcut; a press serves each of them.
class Registry {
  public:
    using Action = std::function<void()>;

    Registry(platform::Defaults& defaults, platform::HotKeyBackend& backend,
             const platform::KeyboardLayout& layout);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Stores the name's default when nothing at all is stored under it yet, so the default is
    // written on the first run only and a shortcut the user cleared stays cleared.
    void declare(const Name& name);

    std::optional<Shortcut> getShortcut(const Name& name) const { return store_.shortcut(name); }
    bool userDefaultsContains(const Name& name) const { return store_.containsAnything(name); }
    // Releases the old hot key, requests the new one, stores it, then tells the observers.
    void saveShortcut(const Shortcut& shortcut, const Name& name);
    // None clears: a name with a default keeps the cleared marker, one without loses its entry.
    void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
    // Names with a default get it back; the others lose their stored shortcut.
    void reset(const std::vector<Name>& names);
    // Resets every stored name as a name without a default: each stored shortcut is removed
    // and released; cleared markers and undecodable entries stay.
    void resetAll() { reset(store_.storedNames()); }
    std::vector<Name> storedNames() const { return store_.storedNames(); }

    // "GlobalShortcuts_shortcutByNameDidChange": set to the changed name last, once the new
    // value reads back. None until the first change.
    Published<std::optional<Name>>& shortcutByNameDidChange() { return shortcutByNameDidChange_; }

    void onKeyDown(const Name& name, Action action);
    void onKeyUp(const Name& name, Action action);
    void removeHandler(const Name& name);
    void removeAllHandlers();
    // Every press and release of the name's shortcut, until the subscription ends. With `only`,
    // just that kind of event.
    [[nodiscard]] Subscription events(const Name& name, std::function<void(EventType)> callback,
                                      std::optional<EventType> only = std::nullopt);

    void enable(const std::vector<Name>& names);
    void disable(const std::vector<Name>& names);
    // True while the switch is on and the name's stored shortcut is held as a hot key.
    bool isEnabled(const Name& name) const;
    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled);

    // Set by the shortcut recorder while it records: presses then run nothing, and the hot keys
    // are let go meanwhile, since a held one takes its key before any window could see it, so
    // the recorder could never record it (nor the current shortcut again).
    bool isPausedForRecording() const { return isPausedForRecording_; }
    void setPausedForRecording(bool paused);
    // "GlobalShortcuts_recorderActiveStatusDidChange": set by a recorder when it starts (true)
    // and ends (false) recording.
    Published<bool>& recorderActiveStatusDidChange() { return recorderActiveStatusDidChange_; }

    // While a menu of the application is open the hot keys are let go, and the key events that
    // reach the application are offered here instead. Returns true when the event was a shortcut
    // (and ran it), so that the menu must not see it. The release of a press taken here is
    // offered too, also when the menu has closed in between.
    void menuDidBeginTracking();
    void menuDidEndTracking();
    bool handleKeyEventWhileMenuOpen(EventType type, const Shortcut& pressed);
    bool isMenuOpen() const { return isMenuOpen_; }

    // Whether the system or another program already uses the combination.
    bool isTakenBySystem(const Shortcut& shortcut) { return hotKeys_.isTakenElsewhere(shortcut); }

    // The shortcuts the system refused to grab (another program holds them, or they cannot be
    // grabbed) and that have not been granted, released or saved since; set on every change.
    const Published<std::vector<Shortcut>>& refusedShortcuts() const { return refused_; }
    Published<std::vector<Shortcut>>& refusedShortcuts() { return refused_; }
    bool isRefused(const Name& name) const;
    // Asks again for every wanted hot key that was refused: the other program may have let go.
    void retryRefused();

  private:
    using StreamCallback = std::function<void(EventType)>;
    struct Streams {
        Name name;
        std::map<std::uint64_t, StreamCallback> callbacks;
    };
    using ActionTable = std::vector<std::pair<Name, std::vector<Action>>>;

    void addAction(ActionTable& table, const Name& name, Action action);
    // Asks for the name's stored hot key unless it is held already. A shortcut refused before
    // is asked for again only on `retryRefused`, so that attaching actions to a name whose
    // combination another program holds does not ask (and log) once per action.
    void request(const Name& name, bool retryRefused);
    void registerShortcut(const Shortcut& shortcut);
    bool wasRefused(const Shortcut& shortcut) const;
    void markRefused(const Shortcut& shortcut, bool refused);
    void want(const Name& name);
    void stopWanting(const Name& name);
    bool isWanted(const Shortcut& shortcut, const Name* except = nullptr) const;
    void releaseIfUnwanted(const Shortcut& shortcut, const Name* except = nullptr);
    void removeName(const Name& name);
    void removeStream(const Name& name, std::uint64_t id);
    bool hasActions(const Name& name) const;
    bool hasStreams(const Name& name) const;
    void applySwitches();
    void runHandlers(const Shortcut& pressed, EventType type);

    ShortcutStore store_;
    SystemHotKeys hotKeys_;
    Published<std::optional<Name>> shortcutByNameDidChange_{std::nullopt};
    Published<bool> recorderActiveStatusDidChange_{false};
    Published<std::vector<Shortcut>> refused_;
    ActionTable keyDownHandlers_;
    ActionTable keyUpHandlers_;
    std::vector<Streams> streams_;
    std::uint64_t nextStreamId_ = 1;
    std::vector<Name> wanting_;
    bool isEnabled_ = true;
    bool isMenuOpen_ = false;
    bool isPausedForRecording_ = false;
    // Lets stream subscriptions that outlive the registry end quietly.
    std::shared_ptr<Registry*> self_ = std::make_shared<Registry*>(this);
};

}  // namespace pindrake::GlobalShortcuts
