#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {

// The name of one global shortcut the user can change. Names are equal when their raw values
// are; the default does not take part.
class Name {
  public:
    explicit Name(std::string rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt)
        : rawValue_(std::move(rawValue)), defaultShortcut_(defaultShortcut) {}

    const std::string& rawValue() const { return rawValue_; }
    const std::optional<Shortcut>& defaultShortcut() const { return defaultShortcut_; }

    // The application's one shortcut: shows or hides the history panel. Shift-Command-V.
    static const Name& toggleHistory();

    friend bool operator==(const Name& a, const Name& b) { return a.rawValue_ == b.rawValue_; }

  private:
    std::string rawValue_;
    std::optional<Shortcut> defaultShortcut_;
};

inline const Name& Name::toggleHistory() {
    static const Name name("toggleHistory",
                           Shortcut(Key::v, ModifierFlag::shift | ModifierFlag::command));
    return name;
}

}  // namespace pindrake::GlobalShortcuts

template <>
struct std::hash<pindrake::GlobalShortcuts::Name> {
    std::size_t operator()(const pindrake::GlobalShortcuts::Name& name) const noexcept {
        return std::hash<std::string>{}(name.rawValue());
    }
};
