#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // not decode all read as none.
    std::optional<Shortcut> shortcut(const Name& name) const {
        auto text = defaults_.string(key(name));
        if (!text)
            return std::nullopt;
        return Shortcut::fromJson(*text);
    }
    // Whether anything at all is stored, the cleared marker included.
    bool containsAnything(const Name& name) const { return defaults_.value(key(name)).has_value(); }

    void store(const Name& name, const Shortcut& shortcut) {
        defaults_.set(key(name), shortcut.toJson());
    }
    void storeClearedMarker(const Name& name) { defaults_.set(key(name), false); }
    void remove(const Name& name) { defaults_.remove(key(name)); }

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
    platform::Defaults& defaults_;
};

}  // namespace pindrake::GlobalShortcuts
