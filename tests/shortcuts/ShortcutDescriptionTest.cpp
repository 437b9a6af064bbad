#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/fake/FixedKeyboardLayout.h"
#include "shortcuts/ShortcutDescription.h"

namespace pindrake::GlobalShortcuts {
namespace {

using platform::FixedKeyboardLayout;

constexpr ModifierFlags allFive = ModifierFlag::control | ModifierFlag::option |
                                  ModifierFlag::shift | ModifierFlag::command |
                                  ModifierFlag::function;

struct Described {
    Shortcut shortcut;
    const char* description;
    std::optional<std::string> menuKeyEquivalent;
};

TEST(ShortcutDescription, SymbolsKeysAndMenuEquivalents) {
    const Described rows[] = {
        {Shortcut(Key::v, ModifierFlag::shift | ModifierFlag::command), "⇧⌘V", "v"},
        {Shortcut(Key::f5, allFive), "⌃⌥⇧⌘\U0001F310\uFE0EF5", "\uF708"},
        {Shortcut(Key::space, ModifierFlag::command), "⌘Space", " "},
        {Shortcut(Key::keypad5, ModifierFlags()), "5\u20E3", std::nullopt},
        {Shortcut(Key::keypadEnter, ModifierFlag::control), "⌃↩\u20E3", std::nullopt},
        {Shortcut(Key::return_, ModifierFlag::command), "⌘↩", "↩"},
        {Shortcut(Key::help, ModifierFlags()), "?\u20DD", "?\u20DD"},
        {Shortcut(Key::pageDown, ModifierFlag::shift), "⇧⇟", "⇟"},
    };
    const FixedKeyboardLayout us;
    for (const auto& row : rows) {
        EXPECT_EQ(description(row.shortcut, us), row.description) << row.description;
        EXPECT_EQ(menuItemKeyEquivalent(row.shortcut, us), row.menuKeyEquivalent)
            << row.description;
    }
}

// Layout characters themselves are covered over real keymaps in XkbKeyboardLayoutTest.
TEST(ShortcutDescription, KeysWithoutACharacter) {
    FixedKeyboardLayout layout;
    layout.setCharacter(50, std::nullopt);  // a dead key
    layout.setCharacter(49, "x");
    const Shortcut deadKey(Key::backtick, ModifierFlag::command);
    EXPECT_EQ(menuItemKeyEquivalent(deadKey, layout), std::nullopt);
    EXPECT_EQ(description(Shortcut(70000, 256), layout), "⌘\uFFFD");
    // Special keys never ask the layout.
    EXPECT_EQ(keyToCharacter(Shortcut(Key::space, ModifierFlags()), layout), std::nullopt);
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
