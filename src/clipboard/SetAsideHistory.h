#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace pindrake::clipboard::set_aside_history {

// The entries that files set aside beside the history ("history.json.corrupt-<time>",
// "history.json.dropped-<time>") may still name, so that their images and snapshots are kept.
struct NamedEntries {
    // Every entry id found in them, in canonical form.
    std::set<std::string, std::less<>> ids;
    // False when a set-aside file could not be read whole: any entry file may then be named.
    bool complete = true;
};

// Whether `name` is a file the history was set aside into, beside `historyFileName`.
bool isSetAsideName(std::string_view name, std::string_view historyFileName);

// Every UUID in the text, in canonical form. A damaged file is not JSON, so ids are found by
// their shape rather than by parsing; a text that happens to hold a UUID only keeps a file more.
void collectIds(std::string_view text, std::set<std::string, std::less<>>& ids);

// Reads the set-aside files of the folder: regular files only (links are not followed), and at
// most `maxBytes` of them altogether.
NamedEntries namedEntries(const std::filesystem::path& directory, std::string_view historyFileName,
                          std::size_t maxBytes);

}  // namespace pindrake::clipboard::set_aside_history
