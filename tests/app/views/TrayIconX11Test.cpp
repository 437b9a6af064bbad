#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/MenuHotKeys.h"
#include "app/views/TrayIcon.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "support/OtherXClient.h"
#include "support/SanitizerSlowdown.h"

// The tray menu on a real display, where it holds the keyboard while open: the keys it shows
// beside its items choose them, typed by xdotool.
namespace pindrake::app::views {
namespace {

const int settleMs = int(10000 * pindrake::test_support::sanitizerSlowdown);

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

class TrayIconX11Test : public test::ShellFixture {
  protected:
    TrayIconX11Test() { useEnglishTexts(); }

    void openMenu(TrayIcon& tray) {
        tray.menu().popup(QPoint(300, 300));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tray.menu()));
        pindrake::test_support::OtherClient other;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !other.canGrabKeyboard(); }, settleMs))
            << "the menu never took the keyboard";
    }
    bool happens(const std::string& event) {
        return QTest::qWaitFor(
            [&] {
                main.runUntilIdle();
                const auto names = log.names();
                return std::find(names.begin(), names.end(), event) != names.end();
            },
            settleMs);
    }
};

TEST_F(TrayIconX11Test, TheKeysShownInTheOpenMenuChooseTheirItems) {
    launch();
    MenuBarMenu entries(main, *delegate, shell);
    const auto layout = platform::XkbKeyboardLayout::forDisplay();
    // As in the application: hot keys are tapped from every open menu first.
    const auto menuKeys = routeMenuKeysToHotKeys(shortcuts, *layout);
    TrayIcon tray(entries, *layout, QIcon());

    openMenu(tray);
    xdotool("key ctrl+shift+q");  // not the key shown: the menu stays, Quit does not run
    xdotool("key ctrl+comma");
    ASSERT_TRUE(happens("open settings"));
    const auto events = log.names();
    EXPECT_EQ(std::count(events.begin(), events.end(), "terminate"), 0);
    EXPECT_FALSE(tray.menu().isVisible());

    openMenu(tray);
    xdotool("key ctrl+q");
    EXPECT_TRUE(happens("terminate"));
    EXPECT_FALSE(tray.menu().isVisible());
}

}  // namespace
}  // namespace pindrake::app::views
