#include <gtest/gtest.h>

#include "platform/fake/FixedKeyboardLayout.h"
#include "shortcuts/DesktopKeyNames.h"

namespace pindrake::GlobalShortcuts {
namespace {

using platform::FixedKeyboardLayout;

struct Named {
    Shortcut shortcut;
    KeyScope scope;
    const char* name;
};

TEST(DesktopKeyNames, ModifierWordsInTheDesktopsOrderThenTheKey) {
    constexpr auto shift = ModifierFlag::shift;
    constexpr auto command = ModifierFlag::command;
    constexpr auto control = ModifierFlag::control;
    constexpr auto option = ModifierFlag::option;
    const Named rows[] = {
        // The default hot key: Command is Super on the desktop.
        {Shortcut(Key::v, shift | command), KeyScope::global, "Shift+Super+V"},
        {Shortcut(Key::v, control | option | shift | command), KeyScope::global,
         "Shift+Ctrl+Alt+Super+V"},
        // Inside the app's windows Command is Ctrl, also together with Control itself.
        {Shortcut(Key::delete_, command), KeyScope::inApp, "Ctrl+Backspace"},
        {Shortcut(Key::c, command | control), KeyScope::inApp, "Ctrl+C"},
        {Shortcut(Key::comma, command), KeyScope::inApp, "Ctrl+,"},
        {Shortcut(Key::q, command | option), KeyScope::inApp, "Ctrl+Alt+Q"},
        {Shortcut(Key::deleteForward, ModifierFlags()), KeyScope::global, "Delete"},
        {Shortcut(Key::return_, option), KeyScope::global, "Alt+Return"},
        {Shortcut(Key::escape, ModifierFlags()), KeyScope::inApp, "Esc"},
        {Shortcut(Key::space, control), KeyScope::global, "Ctrl+Space"},
        {Shortcut(Key::f5, shift), KeyScope::global, "Shift+F5"},
        {Shortcut(Key::f20, ModifierFlags()), KeyScope::global, "F20"},
        {Shortcut(Key::keypad7, command), KeyScope::global, "Super+Keypad 7"},
        {Shortcut(Key::keypadEnter, ModifierFlags()), KeyScope::global, "Keypad Enter"},
        {Shortcut(Key::pageDown, ModifierFlags()), KeyScope::global, "Page Down"},
        {Shortcut(Key::leftArrow, command), KeyScope::global, "Super+Left"},
        {Shortcut(Key::help, ModifierFlags()), KeyScope::global, "Insert"},
    };
    const FixedKeyboardLayout us;
    for (const auto& row : rows)
        EXPECT_EQ(desktopKeyName(row.shortcut, us, row.scope), row.name) << row.name;
}

TEST(DesktopKeyNames, NoSymbolReachesTheName) {
    const FixedKeyboardLayout us;
    for (int code = 0; code < 128; ++code) {
        const Shortcut shortcut(code, 256 | 512 | 2048 | 4096);
        const std::string name = desktopKeyName(shortcut, us, KeyScope::global);
        for (const char* symbol : {"⇧", "⌘", "⌥", "⌃", "⌫", "↩", "⎋", "\u20E3"})
            EXPECT_EQ(name.find(symbol), std::string::npos) << code << " " << name;
        EXPECT_EQ(name.rfind("Shift+Ctrl+Alt+Super+", 0), 0u) << name;
    }
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
