#include "shortcuts/Registry.h"

#include <algorithm>

namespace pindrake::GlobalShortcuts {

Registry::Registry(platform::Defaults& defaults, platform::HotKeyBackend& backend,
                   const platform::KeyboardLayout& layout)
    : store_(defaults), hotKeys_(backend, layout, [this](const Shortcut& pressed, EventType type) {
          runHandlers(pressed, type);
      }) {}

Registry::~Registry() = default;

void Registry::declare(const Name& name) {
    if (name.defaultShortcut() && !store_.containsAnything(name)) {
        saveShortcut(*name.defaultShortcut(), name);
    }
}

void Registry::saveShortcut(const Shortcut& shortcut, const Name& name) {
    if (auto old = store_.shortcut(name))
        releaseIfUnwanted(*old, &name);
    want(name);
    if (!hotKeys_.isRegistered(shortcut))
        registerShortcut(shortcut);
    store_.store(name, shortcut);
    shortcutByNameDidChange_.set(name);
}

void Registry::setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    if (shortcut) {
        saveShortcut(*shortcut, name);
        return;
    }
    const auto old = store_.shortcut(name);
    if (!old)
        return;
    if (name.defaultShortcut()) {
        store_.storeClearedMarker(name);
    } else {
        store_.remove(name);
    }
    releaseIfUnwanted(*old);
    shortcutByNameDidChange_.set(name);
}

void Registry::reset(const std::vector<Name>& names) {
    for (const auto& name : names) {
        if (name.defaultShortcut()) {
            saveShortcut(*name.defaultShortcut(), name);
            continue;
        }
        const auto old = store_.shortcut(name);
        if (!old)
            continue;
        store_.remove(name);
        releaseIfUnwanted(*old);
        shortcutByNameDidChange_.set(name);
    }
}

void Registry::onKeyDown(const Name& name, Action action) {
    addAction(keyDownHandlers_, name, std::move(action));
}

void Registry::onKeyUp(const Name& name, Action action) {
    addAction(keyUpHandlers_, name, std::move(action));
}

void Registry::removeHandler(const Name& name) {
    for (auto* table : {&keyDownHandlers_, &keyUpHandlers_}) {
        std::erase_if(*table, [&](const auto& entry) { return entry.first == name; });
    }
    if (hasStreams(name))
        return;
    stopWanting(name);
    if (auto stored = store_.shortcut(name))
        releaseIfUnwanted(*stored);
}

void Registry::removeAllHandlers() {
    std::vector<Name> names;
    for (const auto* table : {&keyDownHandlers_, &keyUpHandlers_}) {
        for (const auto& [name, actions] : *table) {
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
    keyDownHandlers_.clear();
    keyUpHandlers_.clear();
    for (const auto& name : names) {
        if (!hasStreams(name))
            stopWanting(name);
    }
    for (const auto& name : names) {
        if (auto stored = store_.shortcut(name))
            releaseIfUnwanted(*stored);
    }
}

Subscription Registry::events(const Name& name, std::function<void(EventType)> callback,
                              std::optional<EventType> only) {
    auto it = std::find_if(streams_.begin(), streams_.end(),
                           [&](const Streams& s) { return s.name == name; });
    if (it == streams_.end())
        it = streams_.insert(streams_.end(), Streams{name, {}});
    const std::uint64_t id = nextStreamId_++;
    it->callbacks.emplace(id, [callback = std::move(callback), only](EventType type) {
        if (!only || *only == type)
            callback(type);
    });
    want(name);
    request(name, /*retryRefused=*/false);

    std::weak_ptr<Registry*> weakSelf = self_;
    return Subscription([weakSelf, name, id] {
        if (auto self = weakSelf.lock())
            (*self)->removeStream(name, id);
    });
}

void Registry::enable(const std::vector<Name>& names) {
    for (const auto& name : names) {
        want(name);
        request(name, /*retryRefused=*/true);
    }
}

void Registry::disable(const std::vector<Name>& names) {
    for (const auto& name : names) {
        stopWanting(name);
        if (auto stored = store_.shortcut(name))
            releaseIfUnwanted(*stored);
    }
}

bool Registry::isEnabled(const Name& name) const {
    if (!isEnabled_)
        return false;
    auto stored = store_.shortcut(name);
    return stored && hotKeys_.isRegistered(*stored);
}

void Registry::setEnabled(bool enabled) {
    if (enabled == isEnabled_)
        return;
    isEnabled_ = enabled;
    applySwitches();
}

void Registry::setPausedForRecording(bool paused) {
    isPausedForRecording_ = paused;
    applySwitches();
}

void Registry::menuDidBeginTracking() {
    if (std::exchange(isMenuOpen_, true))
        return;
    applySwitches();
}

void Registry::menuDidEndTracking() {
    if (!std::exchange(isMenuOpen_, false))
        return;
    applySwitches();
}

bool Registry::handleKeyEventWhileMenuOpen(EventType type, const Shortcut& pressed) {
    // A press taken here may close the menu before its key is let go. Its release still comes
    // this way: the hot key grabbed again meanwhile never sees a key that was already down.
    if (!isEnabled_ || (!isMenuOpen_ && type == EventType::keyDown))
        return false;
    return hotKeys_.dispatchKeyEvent(type, pressed);
}

void Registry::addAction(ActionTable& table, const Name& name, Action action) {
    auto it = std::find_if(table.begin(), table.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it == table.end())
        it = table.insert(table.end(), {name, {}});
    it->second.push_back(std::move(action));
    want(name);
    request(name, /*retryRefused=*/false);
}

void Registry::request(const Name& name, bool retryRefused) {
    auto stored = store_.shortcut(name);
    if (!stored || hotKeys_.isRegistered(*stored))
        return;
    if (!retryRefused && wasRefused(*stored))
        return;
    registerShortcut(*stored);
}

void Registry::registerShortcut(const Shortcut& shortcut) {
    markRefused(shortcut, !hotKeys_.registerShortcut(shortcut));
}

bool Registry::wasRefused(const Shortcut& shortcut) const {
    const auto& refused = refused_.get();
    return std::find(refused.begin(), refused.end(), shortcut) != refused.end();
}

void Registry::markRefused(const Shortcut& shortcut, bool refused) {
    if (wasRefused(shortcut) == refused)
        return;
    auto list = refused_.get();
    if (refused) {
        list.push_back(shortcut);
    } else {
        std::erase(list, shortcut);
    }
    refused_ = std::move(list);
}

bool Registry::isRefused(const Name& name) const {
    const auto stored = store_.shortcut(name);
    return stored && wasRefused(*stored);
}

void Registry::retryRefused() {
    const auto names = wanting_;
    for (const auto& name : names) {
        if (isRefused(name))
            request(name, /*retryRefused=*/true);
    }
}

void Registry::want(const Name& name) {
    if (std::find(wanting_.begin(), wanting_.end(), name) == wanting_.end()) {
        wanting_.push_back(name);
    }
}

void Registry::stopWanting(const Name& name) {
    std::erase(wanting_, name);
}

bool Registry::isWanted(const Shortcut& shortcut, const Name* except) const {
    return std::any_of(wanting_.begin(), wanting_.end(), [&](const Name& name) {
        return (!except || name != *except) && store_.shortcut(name) == shortcut;
    });
}

void Registry::releaseIfUnwanted(const Shortcut& shortcut, const Name* except) {
    if (isWanted(shortcut, except))
        return;
    hotKeys_.unregister(shortcut);
    markRefused(shortcut, false);
}

void Registry::removeStream(const Name& name, std::uint64_t id) {
    auto it = std::find_if(streams_.begin(), streams_.end(),
                           [&](const Streams& s) { return s.name == name; });
    if (it == streams_.end())
        return;
    it->callbacks.erase(id);
    // A name whose last stream ended no longer wants its shortcut through streams.
    if (!it->callbacks.empty())
        return;
    streams_.erase(it);
    if (hasActions(name))
        return;
    stopWanting(name);
    if (auto stored = store_.shortcut(name))
        releaseIfUnwanted(*stored);
}

bool Registry::hasActions(const Name& name) const {
    auto has = [&](const ActionTable& table) {
        return std::any_of(table.begin(), table.end(),
                           [&](const auto& entry) { return entry.first == name; });
    };
    return has(keyDownHandlers_) || has(keyUpHandlers_);
}

bool Registry::hasStreams(const Name& name) const {
    return std::any_of(streams_.begin(), streams_.end(),
                       [&](const Streams& s) { return s.name == name; });
}

void Registry::applySwitches() {
    if (!isEnabled_ || isMenuOpen_ || isPausedForRecording_) {
        if (!hotKeys_.isSuspended())
            hotKeys_.suspend();
        return;
    }
    if (!hotKeys_.isSuspended())
        return;
    const auto refusedNow = hotKeys_.resume();
    // Hot keys refused earlier get another attempt now; those refused a moment ago do not.
    for (const auto& shortcut : refusedNow)
        markRefused(shortcut, true);
    const auto names = wanting_;
    for (const auto& name : names) {
        auto stored = store_.shortcut(name);
        if (!stored || hotKeys_.isRegistered(*stored))
            continue;
        if (std::find(refusedNow.begin(), refusedNow.end(), *stored) != refusedNow.end())
            continue;
        registerShortcut(*stored);
    }
}

void Registry::runHandlers(const Shortcut& pressed, EventType type) {
    if (isPausedForRecording_)
        return;
    // Snapshots: an action may attach or remove handlers, or change shortcuts.
    const ActionTable table = type == EventType::keyDown ? keyDownHandlers_ : keyUpHandlers_;
    for (const auto& [name, actions] : table) {
        if (store_.shortcut(name) != pressed)
            continue;
        for (const auto& action : actions)
            action();
    }
    const auto streams = streams_;
    for (const auto& [name, callbacks] : streams) {
        if (store_.shortcut(name) != pressed)
            continue;
        for (const auto& [id, callback] : callbacks)
            callback(type);
    }
}

}  // namespace pindrake::GlobalShortcuts
