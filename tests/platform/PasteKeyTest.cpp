#include <gtest/gtest.h>

#include "platform/PasteKey.h"

namespace pindrake::platform {
namespace {

TEST(PasteKeyTest, TerminalsGetTheKeyTheyPasteWithByWindowClassInAnyCase) {
    const std::vector<std::pair<std::string, PasteKey>> cases = {
        {"XTerm", PasteKey::shiftInsert},
        {"URxvt", PasteKey::shiftInsert},
        {"Gnome-terminal", PasteKey::controlShiftV},
        {"konsole", PasteKey::controlShiftV},
        {"kitty", PasteKey::controlShiftV},
        {"Alacritty", PasteKey::controlShiftV},
        {"org.wezfurlong.wezterm", PasteKey::controlShiftV},
        {"foot", PasteKey::controlShiftV},
        {"st-256color", PasteKey::controlShiftV},
        {"Terminator", PasteKey::controlShiftV},
        {"Tilix", PasteKey::controlShiftV},
        {"firefox", PasteKey::controlV},
        {"xterminal-lookalike", PasteKey::controlV},
        {"", PasteKey::controlV},
    };
    for (const auto& [windowClass, key] : cases)
        EXPECT_EQ(pasteKeyForWindowClass(windowClass), key) << windowClass;
}

}  // namespace
}  // namespace pindrake::platform
