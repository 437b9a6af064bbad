#include "clipboard/SetAsideHistory.h"

#include <system_error>

#include "foundation/Ascii.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Uuid.h"

namespace pindrake::clipboard::set_aside_history {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t uuidLength = 36;

// 8-4-4-4-12 hexadecimal digits.
bool hasUuidShape(std::string_view text) {
    for (std::size_t i = 0; i < uuidLength; ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !ascii::isHexDigit(text[i]))
            return false;
    }
    return true;
}

}  // namespace

bool isSetAsideName(std::string_view name, std::string_view historyFileName) {
    return name.size() > historyFileName.size() + 1 && name.starts_with(historyFileName) &&
           name[historyFileName.size()] == '.';
}

void collectIds(std::string_view text, std::set<std::string, std::less<>>& ids) {
    std::size_t at = 0;
    while (at + uuidLength <= text.size()) {
        const auto candidate = text.substr(at, uuidLength);
        if (!hasUuidShape(candidate)) {
            ++at;
            continue;
        }
        if (auto id = canonicalUuid(candidate))
            ids.insert(std::move(*id));
        at += uuidLength;
    }
}

NamedEntries namedEntries(const fs::path& directory, std::string_view historyFileName,
                          std::size_t maxBytes) {
    NamedEntries named;
    std::error_code error;
    std::size_t budget = maxBytes;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (!isSetAsideName(name, historyFileName))
            continue;
        std::error_code statusError;
        // A link or anything else than a plain file was not set aside by us and names nothing.
        if (!entry.is_regular_file(statusError) || entry.is_symlink(statusError))
            continue;
        const auto text = files::readWithoutFollowingLinks(entry.path(), budget);
        if (!text) {
            log::warning("The set-aside file " + name +
                         " could not be read whole; no entry file is removed at this start");
            named.complete = false;
            return named;
        }
        budget -= text->size();
        collectIds(*text, named.ids);
    }
    if (error) {
        named.complete = false;
    }
    return named;
}

}  // namespace pindrake::clipboard::set_aside_history
