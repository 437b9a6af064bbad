#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/Log.h"
#include "platform/Defaults.h"
#include "shortcuts/Name.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {

// The shortcuts of names in the user's settings, one entry per name under "GlobalShortcuts_"
// and the raw value. An entry is absent, the shortcut's JSON text, or `false` for a shortcut
// the user cleared (which keeps the default from coming back).
class ShortcutStore {
  public:
    static constexpr std::string_view keyPrefix = "GlobalShortcuts_";

    explicit ShortcutStore(platform::Defaults& defaults) : defaults_(defaults) {}

    static std::string key(const Name& name) { return std::string(keyPrefix) + name.rawValue(); }

    // Read afresh every time. The cleared marker, a value that is not text and text that does
    // not decode all read as none. Anything but the marker that does not read (a hand edit) is
    // logged, once per entry, since it leaves the name without its hot key.
    std::optional<Shortcut> shortcut(const Name& name) const {
        const std::string entry = key(name);
        auto value = defaults_.value(entry);
        if (value == platform::Defaults::Value(false))
            return std::nullopt;
        std::optional<Shortcut> shortcut;
        if (const auto* text = value ? std::get_if<std::string>(&*value) : nullptr)
            shortcut = Shortcut::fromJson(*text);
        if (!shortcut && (value || defaults_.contains(entry)) && reported_.insert(entry).second) {
            log::warning("The stored shortcut " + entry + " cannot be read; it is ignored");
        }
        return shortcut;
    }
    // Whether anything at all is stored, the cleared marker included.
    bool containsAnything(const Name& name) const { return defaults_.contains(key(name)); }

    void store(const Name& name, const Shortcut& shortcut) { write(name, shortcut.toJson()); }
    void storeClearedMarker(const Name& name) { write(name, false); }
    void remove(const Name& name) {
        reported_.erase(key(name));
        defaults_.remove(key(name));
    }

    // Every name with an entry, in the settings' order, made without a default.
    std::vector<Name> storedNames() const {
        std::vector<Name> names;
        for (const auto& stored : defaults_.keys()) {
            if (stored.starts_with(keyPrefix))
                names.emplace_back(stored.substr(keyPrefix.size()));
        }
        return names;
    }

  private:
    void write(const Name& name, platform::Defaults::Value value) {
        reported_.erase(key(name));
        defaults_.set(key(name), std::move(value));
    }

    platform::Defaults& defaults_;
    // Entries logged as unreadable, until we write them ourselves.
    mutable std::set<std::string> reported_;
};

}  // namespace pindrake::GlobalShortcuts
