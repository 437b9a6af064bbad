#include "app/model/LaunchNotices.h"

#include "foundation/Localization.h"
#include "shortcuts/ShortcutDescription.h"

namespace pindrake::app {

namespace {

std::string withArgument(std::string format, const std::string& argument) {
    if (const auto at = format.find("%1"); at != std::string::npos)
        format.replace(at, 2, argument);
    return format;
}

}  // namespace

std::string hotKeyName(const GlobalShortcuts::Shortcut& shortcut,
                       const platform::KeyboardLayout& layout) {
    using namespace GlobalShortcuts;
    const ModifierFlags modifiers = shortcut.modifiers();
    std::string name;
    for (const auto& [flag, label] :
         {std::pair{ModifierFlag::control, "Ctrl+"}, std::pair{ModifierFlag::option, "Alt+"},
          std::pair{ModifierFlag::shift, "Shift+"}, std::pair{ModifierFlag::command, "Super+"},
          std::pair{ModifierFlag::function, "Fn+"}}) {
        if (modifiers.contains(flag))
            name += label;
    }
    return name + description(Shortcut(shortcut.key(), ModifierFlags()), layout);
}

std::string runningNotice(const std::optional<GlobalShortcuts::Shortcut>& hotKey,
                          const platform::KeyboardLayout& layout) {
    const std::string opening =
        hotKey ? withArgument(localized("running_notice_hot_key"), hotKeyName(*hotKey, layout))
               : localized("running_notice_no_hot_key");
    return opening + "\n" + localized("running_notice_quit") + "\n";
}

std::string alreadyRunningNotice(const std::string& historyFolder) {
    return withArgument(localized("already_running"), historyFolder);
}

}  // namespace pindrake::app
