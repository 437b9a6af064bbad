#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "EnglishTexts.h"
#include "app/views/MenuHotKeys.h"
#include "app/views/SettingsWindow.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/ModuleText.h"
#include "shortcuts/Name.h"
#include "shortcuts/Registry.h"
#include "shortcuts/widgets/WidgetTestSupport.h"
#include "support/OtherXClient.h"
#include "support/QtEventLoop.h"
#include "support/TestFiles.h"

// The hot key against the app's own menus and the settings window, on a real display with real
// grabs, typed into by xdotool; another X client plays the program that holds a combination.
namespace pindrake::app::views {
namespace {

using GlobalShortcuts::Key;
using GlobalShortcuts::Shortcut;
namespace ModifierFlag = GlobalShortcuts::ModifierFlag;

// Evdev key codes and the server's masks, as the other client grabs them.
constexpr xcb_keycode_t keycodeJ = 44;
constexpr xcb_keycode_t keycodeK = 45;
constexpr std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

class AppShortcutsOnX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        useEnglishTexts();
        hotKeys = platform::XcbHotKeyBackend::connect(mainQueue);
        ASSERT_TRUE(hotKeys) << "no X display";
        layout = platform::XkbKeyboardLayout::forDisplay();
        registry = std::make_unique<GlobalShortcuts::Registry>(defaults, *hotKeys, *layout);
        registry->declare(toggle);
        registry->onKeyUp(toggle, [this] { ++toggled; });
        menuKeys = routeMenuKeysToHotKeys(*registry, *layout);
        settings = std::make_unique<SettingsWindow>(SettingsWindow::Services{
            store,
            defaults,
            loginItems,
            keys,
            {*registry, *layout, [this](quint32 code) -> std::optional<int> {
                 if (auto keyCode = layout->virtualKeyCodeForKeycode(code))
                     return *keyCode;
                 return std::nullopt;
             }}});
    }
    bool showSettings() {
        settings->show();
        settings->activateWindow();
        return QTest::qWaitForWindowActive(settings.get(), test_support::scaledMs(5000));
    }
    // Opens a menu of the app and closes it again, as a user who changed their mind.
    void openAndCloseAMenu() {
        QMenu menu;
        menu.addAction(QStringLiteral("Item"));
        menu.popup(QPoint(200, 200));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, test_support::scaledMs(5000)));
        ASSERT_TRUE(registry->isMenuOpen());
        menu.hide();
        QGuiApplication::sync();
        ASSERT_FALSE(registry->isMenuOpen());
    }

    const GlobalShortcuts::Name& toggle = GlobalShortcuts::Name::toggleHistory();
    QtScheduler mainQueue{qApp};
    std::unique_ptr<platform::XcbHotKeyBackend> hotKeys;
    std::unique_ptr<platform::XkbKeyboardLayout> layout;
    platform::InMemoryDefaults defaults;
    std::unique_ptr<GlobalShortcuts::Registry> registry;
    std::unique_ptr<platform::QtMenuKeyTap> menuKeys;
    int toggled = 0;

    test_support::TemporaryDirectory folder;
    platform::InMemoryPasteboard pasteboard;
    platform::FakeImageCodec codec;
    clipboard::HistoryStore store{folder.path(), {mainQueue, defaults, codec}};
    platform::FakeLoginItems loginItems;
    platform::RecordingKeySynth keys;
    std::unique_ptr<SettingsWindow> settings;
};

TEST_F(AppShortcutsOnX11, TheHotKeyRunsWhileAMenuIsOpenAndNeverReachesTheMenu) {
    QMenu menu;
    int verified = 0;
    QObject::connect(menu.addAction(QStringLiteral("&Verify")), &QAction::triggered,
                     [&] { ++verified; });
    menu.popup(QPoint(200, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, test_support::scaledMs(5000)));
    pindrake::test_support::OtherClient other;
    ASSERT_TRUE(test_support::qWaitFor([&] { return !other.canGrabKeyboard(); }))
        << "the menu never took the keyboard";
    xdotool("key shift+super+v");
    EXPECT_TRUE(test_support::qWaitFor([&] { return toggled == 1; }))
        << "the open menu took the hot key";
    EXPECT_EQ(verified, 0) << "the menu acted on the hot key's V";
    menu.hide();
    QGuiApplication::sync();  // the menu's grab is gone before xdotool types
    xdotool("key shift+super+v");
    EXPECT_TRUE(test_support::qWaitFor([&] { return toggled == 2; }))
        << "grabbed again once it closed";
}

TEST_F(AppShortcutsOnX11, AShortcutAnotherProgramHoldsIsReportedAndAskedForAgainLater) {
    pindrake::test_support::OtherClient other;
    ASSERT_TRUE(other.grab(keycodeK, controlAlt));
    ASSERT_TRUE(showSettings());
    EXPECT_FALSE(settings->isShortcutRefusedNoteShown());

    // Recorded with "Use Anyway": stored and shown, but the grab is refused.
    GlobalShortcuts::test_support::AlertAnswerer answering(*settings, [](QMessageBox& box) {
        GlobalShortcuts::test_support::clickButton(
            box, QString::fromStdString(GlobalShortcuts::moduleText("force_use_shortcut")));
    });
    auto* recorder = settings->findChild<GlobalShortcuts::RecorderControl*>();
    ASSERT_NE(recorder, nullptr);
    recorder->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(recorder->isRecording());
    xdotool("key ctrl+alt+k");
    ASSERT_TRUE(test_support::qWaitFor([&] { return !recorder->isRecording(); }));
    const Shortcut controlAltK(Key::k, ModifierFlag::control | ModifierFlag::option);
    EXPECT_EQ(registry->getShortcut(toggle), controlAltK);
    EXPECT_TRUE(settings->isShortcutRefusedNoteShown());

    // The other program lets go; closing a menu asks again.
    other.ungrab(keycodeK, controlAlt);
    openAndCloseAMenu();
    EXPECT_FALSE(settings->isShortcutRefusedNoteShown());
    xdotool("key ctrl+alt+k");
    EXPECT_TRUE(test_support::qWaitFor([&] { return toggled == 1; }));

    // So does showing the settings again.
    ASSERT_TRUE(other.grab(keycodeJ, controlAlt));
    registry->saveShortcut(Shortcut(Key::j, ModifierFlag::control | ModifierFlag::option), toggle);
    EXPECT_TRUE(settings->isShortcutRefusedNoteShown());
    other.ungrab(keycodeJ, controlAlt);
    settings->hide();
    ASSERT_TRUE(showSettings());
    EXPECT_FALSE(settings->isShortcutRefusedNoteShown());
    xdotool("key ctrl+alt+j");
    EXPECT_TRUE(test_support::qWaitFor([&] { return toggled == 2; }));
}

TEST_F(AppShortcutsOnX11, ReturnRightAfterClearAllKeepsTheHistory) {
    for (const char* text : {"one", "two"}) {
        clipboard::ClipboardContent content;
        content.plainText = text;
        content.tags = {clipboard::ContentTag::plainText};
        store.add(content, {});
    }
    ASSERT_TRUE(showSettings());
    pindrake::test_support::OtherClient other;
    for (const char* key : {"Return", "Escape", "space"}) {
        SCOPED_TRACE(key);
        settings->clearButton().click();
        auto* confirmation = settings->clearConfirmation();
        ASSERT_NE(confirmation, nullptr);
        // The key goes where the server has the focus, which Qt's active window may run ahead of.
        ASSERT_TRUE(test_support::qWaitFor([&] {
            return other.inputFocus() == confirmation->winId();
        })) << "the dialog never had the keyboard";
        xdotool(std::string("key ") + key);
        EXPECT_TRUE(
            test_support::qWaitFor([&] { return settings->clearConfirmation() == nullptr; }));
        EXPECT_EQ(store.items()->size(), 2u);
    }
}

}  // namespace
}  // namespace pindrake::app::views
