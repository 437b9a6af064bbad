#include "platform/linux/XdgAutostartLoginItems.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

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

// One "key=value" line of the entry's [Desktop Entry] group, spaces around the equals sign left
// out. The value is a view into the entry's text, so that it can be replaced where it stands.
struct Field {
    std::string_view key;
    std::string_view value;
};

std::vector<Field> mainGroupFields(std::string_view text) {
    std::vector<Field> fields;
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = trimmed(text.substr(0, end));
        const auto equals = line.find('=');
        if (line.starts_with('['))
            inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && equals != std::string_view::npos)
            fields.push_back({trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))});
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return fields;
}

// Switched off by the user: hidden, or disabled the way GNOME's session tools do it.
bool isSwitchedOff(const std::vector<Field>& fields) {
    return std::ranges::any_of(fields, [](const Field& field) {
        return (field.key == "Hidden" && field.value == "true") ||
               (field.key == "X-GNOME-Autostart-enabled" && field.value == "false");
    });
}

// The escapes of a desktop entry's string values: \s \n \t \r \\.
std::optional<std::string> unescapedValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
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

std::optional<std::string> XdgAutostartLoginItems::programOf(std::string_view execValue) {
    const auto exec = unescapedValue(execValue);
    if (!exec || exec->empty())
        return std::nullopt;
    std::string program;
    if (exec->front() != '"') {
        program = exec->substr(0, exec->find(' '));
    } else {
        std::size_t i = 1;
        for (; i < exec->size() && (*exec)[i] != '"'; ++i) {
            if ((*exec)[i] == '\\' && i + 1 < exec->size())
                ++i;
            program += (*exec)[i];
        }
        if (i == exec->size())
            return std::nullopt;
    }
    // "%%" is a percent sign; a lone "%" starts a field code, which no program path holds.
    std::string unpercented;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (program[i] == '%' && (i + 1 == program.size() || program[++i] != '%'))
            return std::nullopt;
        unpercented += program[i];
    }
    return unpercented;
}

std::optional<std::string> XdgAutostartLoginItems::readEntry() const {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(entryPath_, error);
    if (error || !std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(entryPath_, error) > maxEntryBytes || error)
        return std::nullopt;
    return files::readWithoutFollowingLinks(entryPath_, maxEntryBytes);
}

bool XdgAutostartLoginItems::isEnabled() const {
    const auto text = readEntry();
    return text && !isSwitchedOff(mainGroupFields(*text));
}

bool XdgAutostartLoginItems::exists() const {
    std::error_code error;
    return std::filesystem::symlink_status(entryPath_, error).type() !=
           std::filesystem::file_type::not_found;
}

// Only an Exec line in the very form we write is ours to follow; any other the user wrote (a
// wrapper, arguments, a variable), and it stays as it is, as does every other line.
std::error_code XdgAutostartLoginItems::updateRegistration() {
    const auto text = readEntry();
    if (!text)
        return {};
    const auto fields = mainGroupFields(*text);
    const auto exec = std::ranges::find(fields, std::string_view("Exec"), &Field::key);
    if (isSwitchedOff(fields) || exec == fields.end())
        return {};
    const auto program = programOf(exec->value);
    if (!program || execValue(*program) != exec->value || isThisProgram(*program))
        return {};
    const auto ourExec = execValue(executable_.string());
    if (!executable_.is_absolute() || !ourExec)
        return std::make_error_code(std::errc::invalid_argument);
    std::string updated = *text;
    updated.replace(static_cast<std::size_t>(exec->value.data() - text->data()), exec->value.size(),
                    *ourExec);
    return files::writeAtomically(entryPath_, updated);
}

bool XdgAutostartLoginItems::isThisProgram(const std::filesystem::path& program) const {
    std::error_code error;
    return program == executable_ || std::filesystem::equivalent(program, executable_, error);
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
