#include "platform/PasteKey.h"

#include <array>
#include <string>
#include <utility>

#include "foundation/Ascii.h"

namespace pindrake::platform {

namespace {

// Terminal emulators by window class, lower case. xterm and urxvt paste PRIMARY on Shift+Insert
// and take no clipboard key; the others paste the clipboard on Ctrl+Shift+V.
constexpr std::array<std::pair<std::string_view, PasteKey>, 22> terminals = {{
    {"xterm", PasteKey::shiftInsert},
    {"uxterm", PasteKey::shiftInsert},
    {"urxvt", PasteKey::shiftInsert},
    {"rxvt", PasteKey::shiftInsert},
    {"gnome-terminal", PasteKey::controlShiftV},
    {"gnome-terminal-server", PasteKey::controlShiftV},
    {"org.gnome.console", PasteKey::controlShiftV},
    {"kgx", PasteKey::controlShiftV},
    {"konsole", PasteKey::controlShiftV},
    {"kitty", PasteKey::controlShiftV},
    {"alacritty", PasteKey::controlShiftV},
    {"org.wezfurlong.wezterm", PasteKey::controlShiftV},
    {"foot", PasteKey::controlShiftV},
    {"st-256color", PasteKey::controlShiftV},
    {"st", PasteKey::controlShiftV},
    {"terminator", PasteKey::controlShiftV},
    {"tilix", PasteKey::controlShiftV},
    {"xfce4-terminal", PasteKey::controlShiftV},
    {"mate-terminal", PasteKey::controlShiftV},
    {"lxterminal", PasteKey::controlShiftV},
    {"terminology", PasteKey::controlShiftV},
    {"sakura", PasteKey::controlShiftV},
}};

}  // namespace

PasteKey pasteKeyForWindowClass(std::string_view windowClass) {
    const std::string lowered = ascii::lowered(windowClass);
    for (const auto& [name, key] : terminals) {
        if (lowered == name)
            return key;
    }
    return PasteKey::controlV;
}

}  // namespace pindrake::platform
