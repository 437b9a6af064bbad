#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LoginItems.h"

namespace pindrake::platform {

// Starting at login through a desktop entry in the user's XDG autostart folder, which desktop
// sessions run when the user logs in.
class XdgAutostartLoginItems final : public LoginItems {
  public:
    static constexpr const char* fileName = "pindrake.desktop";

    // $XDG_CONFIG_HOME/autostart, by default ~/.config/autostart.
    static std::filesystem::path defaultDirectory();
    // This running program's own file.
    static std::filesystem::path runningExecutable();

    XdgAutostartLoginItems(std::filesystem::path directory, std::filesystem::path executable);

    // True while our entry is there and the user has not switched it off (Hidden=true or
    // X-GNOME-Autostart-enabled=false).
    bool isEnabled() const override;
    // Anything at the entry's path, a link or a file we would not read included.
    bool exists() const override;
    std::error_code registerApp() override;
    std::error_code unregisterApp() override;
    // In an enabled entry whose Exec is still the one we write, points Exec at this program when
    // the program it names is gone or is another one; the rest of the file stays as it is.
    std::error_code updateRegistration() override;

    const std::filesystem::path& entryPath() const { return entryPath_; }
    // The whole desktop entry that starts `executable`; none for a path that no Exec line can
    // carry (control characters).
    static std::optional<std::string> desktopEntry(const std::filesystem::path& executable);
    // The program an Exec value starts (its first argument, unquoted); none when malformed.
    static std::optional<std::string> programOf(std::string_view execValue);

  private:
    // The entry's text when it is a regular file of a plausible size.
    std::optional<std::string> readEntry() const;
    // The same file as the running program, by path or through links.
    bool isThisProgram(const std::filesystem::path& program) const;

    std::filesystem::path directory_;
    std::filesystem::path executable_;
    std::filesystem::path entryPath_;
};

}  // namespace pindrake::platform
