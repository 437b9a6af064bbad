#include "platform/linux/XdgAutostartLoginItems.h"

#include <optional>
#include <string>

#include "foundation/Files.h"
#include "foundation/UserFolders.h"

namespace pindrake::platform {

namespace {

// A real entry is a few hundred bytes; a larger file is not ours to parse.
constexpr std::uintmax_t maxEntryBytes = 64 * 1024;

// Exec takes the program as one quoted argument, where " ` $ and \ are escaped with a
// backslash; the value as a whole then escapes each backslash again, and % is doubled.
std::optional<std::string> execValue(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '%')
            value += "%%";
        else
            value += c;
    }
    return value;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Spaces around the equals sign do not count.
bool isHiddenLine(std::string_view line) {
    const auto equals = line.find('=');
    return equals != std::string_view::npos && trimmed(line.substr(0, equals)) == "Hidden" &&
           trimmed(line.substr(equals + 1)) == "true";
}

}  // namespace

std::filesystem::path XdgAutostartLoginItems::defaultDirectory() {
    return userFolders::configHome() / "autostart";
}

std::filesystem::path XdgAutostartLoginItems::runningExecutable() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

XdgAutostartLoginItems::XdgAutostartLoginItems(std::filesystem::path directory,
                                               std::filesystem::path executable)
    : directory_(std::move(directory)),
      executable_(std::move(executable)),
      entryPath_(directory_ / fileName) {}

std::optional<std::string> XdgAutostartLoginItems::desktopEntry(
    const std::filesystem::path& executable) {
    const auto exec = execValue(executable.string());
    if (!exec)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Pindrake\n"
           "Exec=" +
           *exec +
           "\n"
           "Icon=pindrake\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutostartLoginItems::isEnabled() const {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(entryPath_, error);
    if (error || !std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(entryPath_, error) > maxEntryBytes || error)
        return false;
    const auto text = files::read(entryPath_);
    if (!text)
        return false;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        if (isHiddenLine(rest.substr(0, end)))
            return false;
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return true;
}

std::error_code XdgAutostartLoginItems::registerApp() {
    if (!executable_.is_absolute())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    const auto entry = desktopEntry(executable_);
    if (!entry)
        return std::make_error_code(std::errc::invalid_argument);
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    if (error)
        return error;
    return files::writeAtomically(entryPath_, *entry);
}

std::error_code XdgAutostartLoginItems::unregisterApp() {
    std::error_code error;
    std::filesystem::remove(entryPath_, error);
    return error;
}

}  // namespace pindrake::platform
