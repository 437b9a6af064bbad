#include "app/model/LaunchNotices.h"

#include <gtest/gtest.h>

#include "platform/fake/FixedKeyboardLayout.h"

namespace pindrake::app {
namespace {

using GlobalShortcuts::Shortcut;

// A terminal line names keys as a Linux desktop does, never by the stored symbols. (Texts read as
// their keys here: this suite loads no catalogue.)
TEST(LaunchNotices, TheHotKeyIsNamedAsOnALinuxDesktopAndQuittingIsExplained) {
    const platform::FixedKeyboardLayout layout;
    const std::pair<Shortcut, std::string> rows[] = {
        {Shortcut(9, 0x100 | 0x200), "Shift+Super+V"},
        {Shortcut(0, 0x1000 | 0x800), "Ctrl+Alt+A"},
        {Shortcut(122, 0), "F1"},
        {Shortcut(18, 0x100), "Super+1"},
    };
    for (const auto& [shortcut, name] : rows)
        EXPECT_EQ(hotKeyName(shortcut, layout), name);

    for (const auto& shortcut : {std::optional(rows[0].first), std::optional<Shortcut>()}) {
        const std::string notice = runningNotice(shortcut, layout);
        EXPECT_NE(notice.find("running_notice_quit"), std::string::npos) << notice;
        EXPECT_EQ(std::count(notice.begin(), notice.end(), '\n'), 2) << notice;
    }
    EXPECT_EQ(alreadyRunningNotice("/home/u/.local/share/Murvet"), "already_running");
}

}  // namespace
}  // namespace pindrake::app
