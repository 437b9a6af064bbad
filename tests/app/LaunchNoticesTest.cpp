#include "app/model/LaunchNotices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "foundation/Localization.h"
#include "platform/fake/FixedKeyboardLayout.h"

namespace pindrake::app {
namespace {

using GlobalShortcuts::Shortcut;

// A terminal line names keys as a Linux desktop does, never by the stored symbols; Command is
// Super there, as the hot key holds it.
TEST(LaunchNotices, TheHotKeyIsNamedAsOnALinuxDesktopAndQuittingIsExplained) {
    ::setenv("LANGUAGE", "en", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    setUpLocalization("pindrake");
    const platform::FixedKeyboardLayout layout;
    const std::pair<Shortcut, std::string> rows[] = {
        {Shortcut(9, 0x100 | 0x200), "Shift+Super+V"},
        {Shortcut(0, 0x1000 | 0x800), "Ctrl+Alt+A"},
        {Shortcut(122, 0), "F1"},
        {Shortcut(18, 0x100), "Super+1"},
    };
    for (const auto& [shortcut, name] : rows)
        EXPECT_NE(runningNotice(shortcut, layout).find(name), std::string::npos) << name;

    for (const auto& shortcut : {std::optional(rows[0].first), std::optional<Shortcut>()}) {
        const std::string notice = runningNotice(shortcut, layout);
        EXPECT_NE(notice.find("Ctrl+C"), std::string::npos) << notice;
        EXPECT_EQ(std::count(notice.begin(), notice.end(), '\n'), 2) << notice;
    }
    EXPECT_NE(
        alreadyRunningNotice("/home/u/.local/share/Murvet").find("/home/u/.local/share/Murvet"),
        std::string::npos);
}

}  // namespace
}  // namespace pindrake::app
