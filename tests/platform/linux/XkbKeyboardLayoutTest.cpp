#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "foundation/ManualScheduler.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XkbKeyNames.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/DesktopKeyNames.h"
#include "shortcuts/ShortcutDescription.h"

namespace pindrake::platform {
namespace {

using GlobalShortcuts::Key;
namespace ModifierFlag = GlobalShortcuts::ModifierFlag;
using GlobalShortcuts::Shortcut;

struct LayoutRow {
    const char* layout;
    Key key;
    std::optional<std::string> character;
    const char* commandDescription;
};

TEST(XkbKeyboardLayout, KeysTypeWhatTheLayoutSays) {
    const LayoutRow rows[] = {
        {"us", Key::a, "a", "⌘A"},
        // AZERTY: the key at the place of A types q, the digit row types symbols.
        {"fr", Key::a, "q", "⌘Q"},
        {"fr", Key::one, "&", "⌘&"},
        {"fr", Key::two, "é", "⌘É"},
        // German: Y and Z swap; the key left of 1 is a dead circumflex.
        {"de", Key::y, "z", "⌘Z"},
        {"de", Key::minus, "ß", "⌘Ss"},
        {"de", Key::backtick, std::nullopt, "⌘\uFFFD"},
        // The extra keys of ISO and Japanese keyboards.
        {"de", Key(10), "<", "⌘<"},
        {"jp", Key(93), "\\", "⌘\\"},  // the Yen key types a backslash under X
        {"jp", Key(94), "\\", "⌘\\"},
        // Modifier keys type nothing.
        {"us", Key::shift, std::nullopt, "⌘\uFFFD"},
    };
    for (const auto& row : rows) {
        auto layout = XkbKeyboardLayout::fromNames(row.layout);
        ASSERT_TRUE(layout) << row.layout << " did not compile (xkb-data?)";
        const Shortcut shortcut(row.key, ModifierFlag::command);
        EXPECT_EQ(layout->characterFor(static_cast<std::uint16_t>(row.key.rawValue)), row.character)
            << row.layout << " " << row.key.rawValue;
        EXPECT_EQ(GlobalShortcuts::description(shortcut, *layout), row.commandDescription)
            << row.layout << " " << row.key.rawValue;
    }
    // Key codes without a key.
    for (int code : {int(Key::function.rawValue), 52, 0xFFFF})
        EXPECT_EQ(
            XkbKeyboardLayout::fromNames("us,de")->characterFor(static_cast<std::uint16_t>(code)),
            std::nullopt);
}

TEST(XkbKeyboardLayout, KeysAreNamedInTheActiveGroupWhenItsLettersAreLatinElseTheFirstLatinOne) {
    const struct {
        const char* layouts;
        const char* variants;
        std::uint32_t activeGroup;
        const char* shiftCommandY;
    } rows[] = {
        {"us,de", "", 0, "⇧⌘Y"},
        {"us,de", "", 1, "⇧⌘Z"},
        {"ru", "", 0, "⇧⌘Y"},  // no Latin group: as on a US keyboard
        {"gr", "", 0, "⇧⌘Y"},
        {"ru,de", "", 0, "⇧⌘Z"},  // the first Latin group, not the US table
        {"de,ru", "", 1, "⇧⌘Z"},
        {"us", "dvorak", 0, "⇧⌘F"},
        {"jp", "", 0, "⇧⌘Y"},
    };
    for (const auto& row : rows) {
        auto layout = XkbKeyboardLayout::fromNames(row.layouts, row.variants);
        ASSERT_TRUE(layout) << row.layouts;
        layout->setActiveGroup(row.activeGroup);
        EXPECT_EQ(GlobalShortcuts::description(
                      Shortcut(Key::y, ModifierFlag::shift | ModifierFlag::command), *layout),
                  row.shiftCommandY)
            << row.layouts << " " << row.variants << " group " << row.activeGroup;
    }
}

// Japanese layouts type a backslash on both the Yen and the Ro key; the settings and the tray
// menu must still tell the two apart.
TEST(XkbKeyboardLayout, TheJapaneseYenAndRoKeysShowNamesOfTheirOwn) {
    const auto controlAlt = ModifierFlag::control | ModifierFlag::option;
    const struct {
        const char* layouts;
        const char* variants;
        int keyCode;
        const char* name;
    } rows[] = {
        {"jp", "", 93, "Ctrl+Alt+¥"},
        {"jp", "", 94, "Ctrl+Alt+Ro"},
        {"jp", "OADG109A", 93, "Ctrl+Alt+¥"},  // types the yen sign itself
        {"us", "", int(Key::backslash.rawValue), "Ctrl+Alt+\\"},
    };
    for (const auto& row : rows) {
        auto layout = XkbKeyboardLayout::fromNames(row.layouts, row.variants);
        ASSERT_TRUE(layout) << row.layouts;
        EXPECT_EQ(GlobalShortcuts::desktopKeyName(Shortcut(Key(row.keyCode), controlAlt), *layout,
                                                  GlobalShortcuts::KeyScope::global),
                  row.name)
            << row.layouts << " " << row.variants << " " << row.keyCode;
    }
}

TEST(XkbKeyNames, EveryNamedKeyButFunctionHasAnXkbKeyBothWays) {
    auto layout = XkbKeyboardLayout::fromNames("us");
    ASSERT_TRUE(layout);
    std::set<int> named;
    for (int code = 0; code <= 0xFF; ++code) {
        const auto name = xkbKeyName(static_cast<std::uint16_t>(code));
        if (!name)
            continue;
        named.insert(code);
        EXPECT_EQ(virtualKeyCode(*name), code) << *name;
    }
    // 113 named keys, less the function key that PC keyboards lack, plus the ISO key and the
    // three Japanese ones.
    EXPECT_EQ(named.size(), 116u);

    // Each name is a key of the real keymap under its own name (not an alias), so that incoming
    // key events map back to it.
    std::set<int> reached;
    for (std::uint32_t keycode = 8; keycode <= 255; ++keycode) {
        if (auto code = layout->virtualKeyCodeForKeycode(keycode))
            reached.insert(*code);
    }
    EXPECT_EQ(reached, named);
}

TEST(XcbHotKeyBackend, AnUnreachableDisplayIsLoggedAndGivesNoBackend) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved ? saved : "";
    ::setenv("DISPLAY", ":65000", 1);
    ManualScheduler queue;
    testing::internal::CaptureStderr();
    EXPECT_EQ(XcbHotKeyBackend::connect(queue), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("The X display could not be reached"),
              std::string::npos);
    saved ? ::setenv("DISPLAY", restore.c_str(), 1) : ::unsetenv("DISPLAY");
}

}  // namespace
}  // namespace pindrake::platform
