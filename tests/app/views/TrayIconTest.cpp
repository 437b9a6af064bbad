#include <gtest/gtest.h>

#include <QAction>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/TrayIcon.h"
#include "shortcuts/Name.h"

// The tray menu names each item's key as the desktop does, the hot key as it is stored now.
namespace pindrake::app::views {
namespace {

using GlobalShortcuts::Key;
using GlobalShortcuts::Shortcut;
namespace ModifierFlag = GlobalShortcuts::ModifierFlag;

class TrayIconTest : public test::ShellFixture {
  protected:
    TrayIconTest() { useEnglishTexts(); }

    // Each item as "title|key", separators as "-".
    std::vector<std::string> items(TrayIcon& tray) {
        tray.rebuild();
        std::vector<std::string> shown;
        for (const QAction* action : tray.menu().actions()) {
            if (action->isSeparator()) {
                shown.push_back("-");
                continue;
            }
            const QStringList parts = action->text().split(QLatin1Char('\t'));
            shown.push_back(parts.value(0).toStdString() + "|" + parts.value(1).toStdString());
        }
        return shown;
    }
};

TEST_F(TrayIconTest, ItemsShowTheirKeysAndOpenHistoryFollowsTheStoredShortcut) {
    launch();
    MenuBarMenu entries(main, *delegate, shell);
    const auto us = platform::XkbKeyboardLayout::fromNames("us");
    ASSERT_TRUE(us);
    TrayIcon tray(entries, *us, QIcon());
    const auto& toggle = GlobalShortcuts::Name::toggleHistory();
    const std::vector<std::string> rest = {"Settings…|Ctrl+,", "Check for Updates…|", "-",
                                           "About Pindrake|", "Quit|Ctrl+Q"};
    const auto with = [&](const std::string& first) {
        std::vector<std::string> all{first};
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    EXPECT_EQ(items(tray), with("Open History|Shift+Super+V"));

    shortcuts.saveShortcut(Shortcut(Key::k, ModifierFlag::control | ModifierFlag::option), toggle);
    EXPECT_EQ(items(tray), with("Open History|Ctrl+Alt+K"));
    shortcuts.setShortcut(std::nullopt, toggle);
    EXPECT_EQ(items(tray), with("Open History|"));
}

}  // namespace
}  // namespace pindrake::app::views
