#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "EnglishTexts.h"
#include "app/views/SettingsWindow.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XdgAutostartLoginItems.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Name.h"
#include "shortcuts/Registry.h"
#include "support/OtherXClient.h"
#include "support/QtEventLoop.h"
#include "support/TestFiles.h"

// The settings window on a real display with the real autostart entry and hot keys.
namespace pindrake::app::views {
namespace {

TEST(SettingsOnX11,
     TheLoginSwitchWritesAndRemovesTheAutostartEntryAndARecordedShortcutWorksAtOnce) {
    useEnglishTexts();
    test_support::TemporaryDirectory folder;
    QtScheduler mainQueue(qApp);
    auto hotKeys = platform::XcbHotKeyBackend::connect(mainQueue);
    ASSERT_TRUE(hotKeys) << "no X display";
    auto layout = platform::XkbKeyboardLayout::forDisplay();
    platform::InMemoryDefaults defaults;
    GlobalShortcuts::Registry registry(defaults, *hotKeys, *layout);
    const auto& toggle = GlobalShortcuts::Name::toggleHistory();
    registry.declare(toggle);
    int toggled = 0;
    registry.onKeyUp(toggle, [&] { ++toggled; });
    // Every key the server reported before it has been handled once the marker comes back.
    const GlobalShortcuts::Name marker(
        "marker", GlobalShortcuts::Shortcut(GlobalShortcuts::Key::m,
                                            GlobalShortcuts::ModifierFlag::shift |
                                                GlobalShortcuts::ModifierFlag::command));
    registry.declare(marker);
    int markers = 0;
    registry.onKeyUp(marker, [&] { ++markers; });

    platform::InMemoryPasteboard pasteboard;
    platform::FakeImageCodec codec;
    clipboard::HistoryStore store(folder.path() / "history", {mainQueue, defaults, codec});
    platform::XdgAutostartLoginItems loginItems(
        folder.path() / "autostart", QCoreApplication::applicationFilePath().toStdString());
    platform::RecordingKeySynth keys;
    SettingsWindow window({store,
                           defaults,
                           loginItems,
                           keys,
                           {registry, *layout, [&](quint32 code) -> std::optional<int> {
                                if (auto keyCode = layout->virtualKeyCodeForKeycode(code))
                                    return *keyCode;
                                return std::nullopt;
                            }}});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, test_support::scaledMs(5000)));

    auto& launchAtLogin = window.launchAtLoginSwitch();
    launchAtLogin.click();
    EXPECT_TRUE(std::filesystem::exists(loginItems.entryPath()));
    EXPECT_TRUE(launchAtLogin.isChecked());
    launchAtLogin.click();
    EXPECT_FALSE(std::filesystem::exists(loginItems.entryPath()));

    auto* recorder = window.findChild<GlobalShortcuts::RecorderControl*>();
    ASSERT_NE(recorder, nullptr);
    recorder->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(recorder->isRecording());
    ASSERT_EQ(std::system("xdotool key shift+super+k"), 0);
    ASSERT_TRUE(test_support::qWaitFor([&] { return !recorder->isRecording(); }));
    ASSERT_EQ(std::system("xdotool key shift+super+k"), 0);
    EXPECT_TRUE(test_support::qWaitFor([&] { return toggled == 1; })) << "the new hot key works";
    // The old key is free for other programs and does nothing here any more.
    constexpr xcb_keycode_t keycodeV = 55;
    EXPECT_TRUE(test_support::OtherClient().canGrab(keycodeV, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4))
        << "the old hot key was released";
    ASSERT_EQ(std::system("xdotool key shift+super+v key shift+super+m"), 0);
    ASSERT_TRUE(test_support::qWaitFor([&] { return markers == 1; }));
    EXPECT_EQ(toggled, 1) << "the old hot key still toggles";
}

}  // namespace
}  // namespace pindrake::app::views
