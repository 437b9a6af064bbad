#include "clipboard/HistoryStore.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <variant>

#include "clipboard/HistoryFile.h"
#include "clipboard/Snapshot.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Unicode.h"
#include "foundation/UserFolders.h"
#include "foundation/Uuid.h"

namespace pindrake::clipboard {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view folderName = "Murvet";

bool sameText(const std::string& a, const std::string& b) {
    return a == b || unicode::nfc(a) == unicode::nfc(b);
}

// "20240131T235959Z", for the name of a history file moved aside.
std::string utcStamp(const Date& date) {
    const auto seconds = static_cast<std::time_t>(std::floor(date.unixSeconds()));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

}  // namespace

fs::path HistoryStore::defaultDirectory() { return userFolders::dataHome() / folderName; }

std::size_t HistoryStore::historyLimit(const platform::Defaults& defaults) {
    std::int64_t stored = 0;
    if (auto value = defaults.value(maxHistoryItemsKey)) {
        if (const auto* whole = std::get_if<std::int64_t>(&*value)) {
            stored = *whole;
        } else if (const auto* real = std::get_if<double>(&*value)) {
            if (std::isfinite(*real))
                stored = static_cast<std::int64_t>(std::clamp(*real, -1e9, 1e9));
        }
    }
    if (stored == 0)
        return 500;
    return static_cast<std::size_t>(std::clamp<std::int64_t>(stored, 100, 2000));
}

HistoryStore::HistoryStore(fs::path directory, Services services)
    : directory_(std::move(directory)),
      historyFile_(directory_ / historyFileName),
      services_(std::move(services)) {
    if (auto error = files::createPrivateDirectory(directory_)) {
        log::warning("History folder " + directory_.string() +
                     " could not be made: " + error.message());
    }
    load();
}

void HistoryStore::load() {
    std::error_code error;
    const bool exists = fs::exists(historyFile_, error);
    if (!exists && !error)
        return;

    const auto text = files::read(historyFile_);
    auto decoded = text ? history_file::decode(*text) : std::nullopt;
    if (!decoded) {
        mustSetAsideHistoryFile_ = true;
        log::warning("The history file " + historyFile_.string() +
                     " could not be read; it will be kept aside when the history is next saved");
        return;
    }
    for (const auto& problem : decoded->skipped) {
        log::warning("Left out of the history (unreadable " + problem + ")");
    }
    items_ = std::move(decoded->items);
}

void HistoryStore::save() {
    if (mustSetAsideHistoryFile_ && !setAsideUnreadableHistory())
        return;
    if (auto error = files::writeAtomically(historyFile_, history_file::encode(items_.get()))) {
        log::warning("The history could not be saved: " + error.message());
    }
}

// Never overwrites the file it could not read: when moving it aside fails, nothing is saved.
bool HistoryStore::setAsideUnreadableHistory() {
    const std::string base = std::string(historyFileName) + ".corrupt-" + utcStamp(services_.now());
    fs::path aside = directory_ / base;
    std::error_code error;
    for (int n = 2; fs::exists(aside, error); ++n) {
        aside = directory_ / (base + "-" + std::to_string(n));
    }

    fs::rename(historyFile_, aside, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        log::warning("The unreadable history file could not be moved aside (" + error.message() +
                     "); the history is not saved");
        return false;
    }
    if (!error)
        log::warning("The unreadable history file was kept as " + aside.string());
    mustSetAsideHistoryFile_ = false;
    return true;
}

void HistoryStore::add(const ClipboardContent& content,
                       const platform::PasteboardContents& offered) {
    const auto& current = items_.get();
    if (content.plainText && !current.empty() && current.front().plainText &&
        sameText(*current.front().plainText, *content.plainText)) {
        return;
    }

    ClipboardItem item;
    item.id = makeUuid();
    if (content.image) {
        // The entry names its image file even when writing it failed.
        item.imageFilename = item.id + ".png";
        writeImage(*content.image, *item.imageFilename);
    }
    saveSnapshot(offered, item.id);
    item.createdAt = services_.now();
    item.tags = content.tags;
    item.plainText = content.plainText;
    item.htmlText = content.html;
    item.pasteboardTypes = content.pasteboardTypes;
    item.sourceBundleID = content.sourceBundleID;

    std::vector<ClipboardItem> list;
    list.reserve(current.size() + 1);
    list.push_back(std::move(item));
    list.insert(list.end(), current.begin(), current.end());
    trim(list);
    items_ = std::move(list);
    save();
}

// Drops the oldest entries beyond the limit, with their files.
void HistoryStore::trim(std::vector<ClipboardItem>& list) const {
    const std::size_t limit = historyLimit(services_.defaults);
    while (list.size() > limit) {
        deleteFiles(list.back());
        list.pop_back();
    }
}

void HistoryStore::remove(const ClipboardItem& item) {
    const auto& current = items_.get();
    const auto found = std::find_if(current.begin(), current.end(),
                                    [&](const ClipboardItem& i) { return i.id == item.id; });
    if (found == current.end())
        return;
    deleteFiles(*found);
    std::vector<ClipboardItem> list = current;
    list.erase(list.begin() + (found - current.begin()));
    items_ = std::move(list);
    save();
}

void HistoryStore::clearAll() {
    for (const auto& item : items_.get())
        deleteFiles(item);
    items_.set({});
    save();
}

std::vector<ClipboardItem> HistoryStore::search(std::string_view query) const {
    const auto& list = items_.get();
    if (query.empty())
        return list;
    if (searchKeys_.size() > 2 * list.size() + 64) {
        // Forget the entries that left the list.
        std::unordered_map<std::string, std::string> kept;
        for (const auto& item : list) {
            if (auto node = searchKeys_.extract(item.id))
                kept.insert(std::move(node));
        }
        searchKeys_ = std::move(kept);
    }
    const std::string folded = unicode::caseFolded(query);
    std::vector<ClipboardItem> found;
    for (const auto& item : list) {
        if (searchKey(item).find(folded) != std::string::npos)
            found.push_back(item);
    }
    return found;
}

// An entry's title is a piece of its text whenever it has text, so the text alone decides;
// entries without text are matched by their title.
const std::string& HistoryStore::searchKey(const ClipboardItem& item) const {
    auto found = searchKeys_.find(item.id);
    if (found == searchKeys_.end()) {
        const bool hasText = item.plainText && !item.plainText->empty();
        found = searchKeys_
                    .emplace(item.id,
                             unicode::caseFolded(hasText ? *item.plainText : item.displayText()))
                    .first;
    }
    return found->second;
}

ClipboardContent HistoryStore::content(const ClipboardItem& item) const {
    ClipboardContent content;
    content.plainText = item.plainText;
    content.html = item.htmlText;
    content.tags = item.tags;
    content.pasteboardTypes = item.pasteboardTypes;
    if (item.imageFilename && history_file::isBareFileName(*item.imageFilename)) {
        if (auto bytes = files::read(directory_ / *item.imageFilename)) {
            content.image = services_.imageCodec.inspect(*bytes);
        }
    }
    return content;
}

bool HistoryStore::restoreToPasteboard(const ClipboardItem& item) {
    const auto path = snapshotPath(item.id);
    if (path.empty())
        return false;
    const auto text = files::read(path);
    if (!text)
        return false;
    const auto contents = snapshot::decode(*text);
    if (!contents)
        return false;
    services_.pasteboard.write(*contents);
    return true;
}

void HistoryStore::deleteFiles(const ClipboardItem& item) const {
    std::error_code ignored;
    if (item.imageFilename && history_file::isBareFileName(*item.imageFilename)) {
        fs::remove(directory_ / *item.imageFilename, ignored);
    }
    if (const auto path = snapshotPath(item.id); !path.empty())
        fs::remove(path, ignored);
}

void HistoryStore::writeImage(const platform::Image& image, const std::string& fileName) const {
    const auto png = services_.imageCodec.encodePng(image);
    if (!png) {
        log::warning("The image of a new history entry could not be made into a PNG");
        return;
    }
    if (auto error = files::writeAtomically(directory_ / fileName, *png)) {
        log::warning("The image " + fileName + " could not be saved: " + error.message());
    }
}

void HistoryStore::saveSnapshot(const platform::PasteboardContents& offered,
                                const std::string& id) const {
    const auto text = snapshot::encode(offered);
    if (!text)
        return;
    if (auto error = files::writeAtomically(snapshotPath(id), *text)) {
        log::warning("The clipboard snapshot of " + id + " could not be saved: " + error.message());
    }
}

// Empty for an identifier that is not a plain name, so no path outside the folder is formed.
fs::path HistoryStore::snapshotPath(const std::string& id) const {
    const std::string name = id + ".pboard";
    return history_file::isBareFileName(name) ? directory_ / name : fs::path();
}

}  // namespace pindrake::clipboard
