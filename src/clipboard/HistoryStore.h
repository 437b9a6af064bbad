#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "clipboard/ClipboardContent.h"
#include "clipboard/ClipboardItem.h"
#include "foundation/Published.h"
#include "platform/Defaults.h"
#include "platform/ImageCodec.h"
#include "platform/Pasteboard.h"

namespace pindrake::clipboard {

// The clipboard history and its folder: "history.json", one "<id>.png" per image entry and one
// "<id>.pboard" snapshot per entry. Every change is saved at once. Main thread only.
class HistoryStore {
  public:
    struct Services {
        const platform::Defaults& defaults;
        platform::Pasteboard& pasteboard;
        const platform::ImageCodec& imageCodec;
        std::function<Date()> now = &Date::now;
    };

    static constexpr std::string_view historyFileName = "history.json";
    static constexpr std::string_view maxHistoryItemsKey = "maxHistoryItems";

    // $XDG_DATA_HOME/Murvet, by default ~/.local/share/Murvet.
    static std::filesystem::path defaultDirectory();
    // The user's "maxHistoryItems": 500 when unset (or 0, or not a number), otherwise clamped
    // to 100 ... 2000.
    static std::size_t historyLimit(const platform::Defaults& defaults);

    // Creates the folder (private to the user) and loads the history from it.
    HistoryStore(std::filesystem::path directory, Services services);
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Newest first. Assigning a whole list publishes it without saving it.
    Published<std::vector<ClipboardItem>>& items() { return items_; }
    const Published<std::vector<ClipboardItem>>& items() const { return items_; }
    const std::filesystem::path& directory() const { return directory_; }
    const std::filesystem::path& historyFile() const { return historyFile_; }

    // Adds the content as the newest entry, with `offered` (the clipboard's types as read
    // with it) as its snapshot, unless its text equals the newest entry's text.
    void add(const ClipboardContent& content, const platform::PasteboardContents& offered);
    void remove(const ClipboardItem& item);
    void clearAll();
    // The entries whose text or title contains the query, ignoring case, in history order;
    // everything for an empty query.
    std::vector<ClipboardItem> search(std::string_view query) const;
    // The entry as a content, with its image loaded from its file.
    ClipboardContent content(const ClipboardItem& item) const;
    // Puts the entry's snapshot back on the clipboard; false (clipboard untouched) when it has
    // no usable snapshot.
    bool restoreToPasteboard(const ClipboardItem& item);

  private:
    void load();
    void save();
    void trim(std::vector<ClipboardItem>& list) const;
    void deleteFiles(const ClipboardItem& item) const;
    void writeImage(const platform::Image& image, const std::string& fileName) const;
    void saveSnapshot(const platform::PasteboardContents& offered, const std::string& id) const;
    bool setAsideUnreadableHistory();
    std::filesystem::path snapshotPath(const std::string& id) const;
    const std::string& searchKey(const ClipboardItem& item) const;

    std::filesystem::path directory_;
    std::filesystem::path historyFile_;
    Services services_;
    Published<std::vector<ClipboardItem>> items_;
    // A history file that could not be read at all is moved aside before anything replaces it.
    bool mustSetAsideHistoryFile_ = false;

    // Case-folded search text by entry id (an entry never changes its text), so that a
    // search after a change folds only the new entries.
    mutable std::unordered_map<std::string, std::string> searchKeys_;
};

}  // namespace pindrake::clipboard
