#include "app/model/LaunchNotices.h"

#include "foundation/Localization.h"
#include "shortcuts/DesktopKeyNames.h"

namespace pindrake::app {

namespace {

std::string withArgument(std::string format, const std::string& argument) {
    if (const auto at = format.find("%1"); at != std::string::npos)
        format.replace(at, 2, argument);
    return format;
}

}  // namespace

std::string runningNotice(const std::optional<GlobalShortcuts::Shortcut>& hotKey,
                          const platform::KeyboardLayout& layout) {
    const std::string opening =
        hotKey ? withArgument(localized("running_notice_hot_key"),
                              GlobalShortcuts::desktopKeyName(*hotKey, layout,
                                                              GlobalShortcuts::KeyScope::global))
               : localized("running_notice_no_hot_key");
    return opening + "\n" + localized("running_notice_quit") + "\n";
}

std::string alreadyRunningNotice(const std::string& historyFolder) {
    return withArgument(localized("already_running"), historyFolder);
}

}  // namespace pindrake::app
