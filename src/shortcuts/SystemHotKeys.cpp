#include "shortcuts/SystemHotKeys.h"

#include <string>

#include "foundation/Log.h"
#include "shortcuts/ShortcutDescription.h"

namespace pindrake::GlobalShortcuts {

using platform::HotKeyBackend;

SystemHotKeys::SystemHotKeys(HotKeyBackend& backend, const platform::KeyboardLayout& layout,
                             Handler handler)
    : backend_(backend), layout_(layout), handler_(std::move(handler)) {
    backend_.setEventHandler(
        [this](HotKeyId id, HotKeyBackend::Event event) { onBackendEvent(id, event); });
}

SystemHotKeys::~SystemHotKeys() {
    backend_.setEventHandler({});
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.held)
            backend_.unregisterHotKey(id);
    }
}

bool SystemHotKeys::registerShortcut(const Shortcut& shortcut) {
    const HotKeyId id = ++lastId_;
    if (suspended_) {
        hotKeys_.emplace(id, HotKey{shortcut, false});
        return true;
    }
    if (grab(id, shortcut) != HotKeyBackend::statusOk)
        return false;
    hotKeys_.emplace(id, HotKey{shortcut, true});
    return true;
}

void SystemHotKeys::unregister(const Shortcut& shortcut) {
    std::erase_if(hotKeys_, [&](const auto& entry) {
        const auto& [id, hotKey] = entry;
        if (hotKey.shortcut != shortcut)
            return false;
        if (hotKey.held)
            backend_.unregisterHotKey(id);
        return true;
    });
}

bool SystemHotKeys::isRegistered(const Shortcut& shortcut) const {
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.shortcut == shortcut)
            return true;
    }
    return false;
}

void SystemHotKeys::suspend() {
    suspended_ = true;
    for (auto& [id, hotKey] : hotKeys_) {
        if (hotKey.held)
            backend_.unregisterHotKey(id);
        hotKey.held = false;
    }
}

std::vector<Shortcut> SystemHotKeys::resume() {
    suspended_ = false;
    std::vector<Shortcut> refused;
    for (auto it = hotKeys_.begin(); it != hotKeys_.end();) {
        auto& [id, hotKey] = *it;
        if (!hotKey.held)
            hotKey.held = grab(id, hotKey.shortcut) == HotKeyBackend::statusOk;
        if (hotKey.held) {
            ++it;
        } else {
            refused.push_back(hotKey.shortcut);
            it = hotKeys_.erase(it);
        }
    }
    return refused;
}

bool SystemHotKeys::dispatchKeyEvent(EventType type, const Shortcut& pressed) {
    const Shortcut normalized(pressed.carbonKeyCode, pressed.carbonModifiers);
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.shortcut == normalized) {
            // A copy: the handler may change the hot keys.
            const Shortcut shortcut = hotKey.shortcut;
            handler_(shortcut, type);
            return true;
        }
    }
    return false;
}

bool SystemHotKeys::isTakenElsewhere(const Shortcut& shortcut) {
    if (shortcut.carbonKeyCode < 0 || shortcut.carbonKeyCode > 0xFFFF)
        return false;
    return backend_.isTakenElsewhere(
        static_cast<std::uint32_t>(shortcut.carbonKeyCode),
        static_cast<std::uint32_t>(normalizedCarbonMask(shortcut.carbonModifiers)));
}

int SystemHotKeys::grab(HotKeyId id, const Shortcut& shortcut) {
    int status = HotKeyBackend::statusInvalid;
    if (shortcut.carbonKeyCode >= 0 && shortcut.carbonKeyCode <= 0xFFFF &&
        shortcut.carbonModifiers >= 0) {
        status = backend_.registerHotKey(id, static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                         static_cast<std::uint32_t>(shortcut.carbonModifiers));
    }
    if (status != HotKeyBackend::statusOk) {
        log::diagnostic("Error registering hotkey " + description(shortcut, layout_) + ": " +
                        std::to_string(status));
    }
    return status;
}

void SystemHotKeys::onBackendEvent(HotKeyId id, HotKeyBackend::Event event) {
    auto it = hotKeys_.find(id);
    // Not ours any more, or let go while a press was on its way.
    if (it == hotKeys_.end() || !it->second.held)
        return;
    const Shortcut shortcut = it->second.shortcut;
    handler_(shortcut,
             event == HotKeyBackend::Event::pressed ? EventType::keyDown : EventType::keyUp);
}

}  // namespace pindrake::GlobalShortcuts
