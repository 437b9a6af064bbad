#include "clipboard/HistoryStore.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <set>
#include <variant>

#include "clipboard/HistoryFile.h"
#include "clipboard/SetAsideHistory.h"
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

// Files of the history folder are read only when they are regular files: a link planted there is
// never followed.
std::optional<std::string> readFolderFile(const fs::path& path) {
    auto bytes = files::readWithoutFollowingLinks(path);
    std::error_code error;
    if (!bytes && fs::is_symlink(path, error))
        log::warning("Refused to follow the link " + path.string() + " in the history folder");
    return bytes;
}

// The entry as a content; `image` is the path of its image file, empty when it has none.
ClipboardContent readContent(const ClipboardItem& item, const fs::path& image,
                             const platform::ImageCodec& codec) {
    ClipboardContent content;
    content.plainText = item.plainText;
    content.html = item.htmlText;
    content.tags = item.tags;
    content.pasteboardTypes = item.pasteboardTypes;
    if (!image.empty()) {
        if (auto bytes = readFolderFile(image))
            content.image = codec.inspect(*bytes);
    }
    return content;
}

// "<name>.XXXXXX" left by a write that was interrupted before its rename.
bool isTemporaryOf(std::string_view name, const std::function<bool(std::string_view)>& isOurs) {
    constexpr std::size_t suffix = 7;  // ".XXXXXX"
    if (!name.starts_with('.') || name.size() <= 1 + suffix || name[name.size() - suffix] != '.')
        return false;
    return isOurs(name.substr(1, name.size() - 1 - suffix));
}

// Set-aside files are read whole to find the entries they name; past this, every entry file
// is kept rather than a hostile or huge file read.
constexpr std::size_t maxSetAsideBytes = 256 * 1024 * 1024;

// The "<ID>" of "<ID>.png" or "<ID>.pboard"; empty for any other name.
std::string_view entryIdOf(std::string_view name) {
    for (const std::string_view extension :
         {std::string_view(".png"), std::string_view(".pboard")}) {
        if (name.ends_with(extension)) {
            const auto id = name.substr(0, name.size() - extension.size());
            return canonicalUuid(id) == id ? id : std::string_view();
        }
    }
    return {};
}

bool isEntryFileName(std::string_view name) {
    return !entryIdOf(name).empty();
}

}  // namespace

fs::path HistoryStore::defaultDirectory() {
    return userFolders::dataHome() / folderName;
}

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
    removeLeftovers();
}

void HistoryStore::load() {
    std::error_code error;
    const bool exists = fs::exists(historyFile_, error);
    if (!exists && !error)
        return;

    const auto text = readFolderFile(historyFile_);
    auto decoded = text ? history_file::decode(*text) : std::nullopt;
    if (!decoded) {
        log::warning("The history file " + historyFile_.string() + " could not be read");
        historyWasUnreadable_ = true;
        historyFileIsUntouchable_ = !setAsideUnreadableHistory();
        return;
    }
    for (const auto& problem : decoded->skipped) {
        log::warning("Left out of the history (" + problem + ")");
    }
    items_ = HistoryList(std::move(decoded->items));
    // Only the newest entry is ever compared with a capture; an older one gets its identity if
    // it becomes the newest.
    if (!items_->empty() && items_->front().plainText)
        identity(items_->entries().front());
    if (!decoded->dropped.empty())
        keepDroppedEntries(std::move(decoded->dropped));
}

void HistoryStore::save(std::vector<HistoryWriter::Job> removals) {
    if (historyFileIsUntouchable_) {
        // Nothing is saved, but what the user removed still goes.
        for (auto& removal : removals)
            writer_.writeFile(std::move(removal));
        return;
    }
    writer_.saveHistory(
        [list = items_.get(), file = historyFile_] {
            if (auto error = files::writeAtomically(file, history_file::encode(list))) {
                log::warning("The history could not be saved: " + error.message());
            }
        },
        std::move(removals));
}

// Never overwrites the file it could not read: when moving it aside fails, nothing is saved.
bool HistoryStore::setAsideUnreadableHistory() {
    const fs::path aside = asideName("corrupt");
    std::error_code error;
    fs::rename(historyFile_, aside, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        log::warning("The unreadable history file could not be moved aside (" + error.message() +
                     "); the history is not saved");
        return false;
    }
    if (!error)
        log::warning("The unreadable history file was kept as " + aside.string());
    return true;
}

// Beside the history file: "history.json.<tag>-<UTC time>".
fs::path HistoryStore::asideName(std::string_view tag) const {
    const auto when = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::duration<double>(services_.now().unixSeconds())));
    return files::asidePath(historyFile_, tag, when);
}

// Entries the history could not take are kept in a file of their own, never lost silently.
void HistoryStore::keepDroppedEntries(std::vector<std::string> dropped) {
    std::string array = "[";
    for (const auto& entry : dropped)
        array += (array.size() > 1 ? "," : "") + entry;
    array += "]";
    const fs::path file = asideName("dropped");
    log::warning(std::to_string(dropped.size()) + " history entries were kept in " + file.string());
    writer_.writeFile([file, array = std::move(array)] {
        if (auto error = files::writeAtomically(file, array))
            log::warning("The dropped history entries could not be kept: " + error.message());
    });
}

// Removes what interrupted writes left behind and, when the history was read, the files of
// entries it no longer has (they may hold old clipboard texts). Files that a set-aside history
// or dropped-entries file names are kept: those entries can still be recovered by hand. Runs on
// the writer, before any file of a new entry is written.
void HistoryStore::removeLeftovers() {
    std::set<std::string, std::less<>> named;
    for (const auto& item : items_.get())
        named.insert(item.id);
    const bool removeOrphans = !historyWasUnreadable_;
    writer_.writeFile([directory = directory_, named = std::move(named), removeOrphans]() mutable {
        const auto isOurs = [](std::string_view name) {
            return name == historyFileName || isEntryFileName(name);
        };
        bool orphansGo = removeOrphans;
        if (orphansGo) {
            auto setAside =
                set_aside_history::namedEntries(directory, historyFileName, maxSetAsideBytes);
            named.merge(setAside.ids);
            orphansGo = setAside.complete;
        }
        std::error_code error;
        std::vector<fs::path> leftovers;
        for (const auto& entry : fs::directory_iterator(directory, error)) {
            const std::string name = entry.path().filename().string();
            if (isTemporaryOf(name, isOurs) ||
                (orphansGo && isEntryFileName(name) && !named.contains(entryIdOf(name)))) {
                leftovers.push_back(entry.path());
            }
        }
        for (const auto& path : leftovers)
            fs::remove(path, error);
        if (!leftovers.empty()) {
            log::warning("Removed " + std::to_string(leftovers.size()) +
                         " leftover files from the history folder");
        }
    });
}

void HistoryStore::add(ClipboardContent content, const platform::PasteboardContents& offered) {
    const HistoryList& current = items_.get();
    std::optional<TextIdentity> text;
    if (content.plainText) {
        text = content.textIdentity ? *content.textIdentity : textIdentity(*content.plainText);
        if (!current.empty() && current.front().plainText &&
            identity(current.entries().front()) == *text) {
            return;
        }
    }

    auto item = std::make_shared<ClipboardItem>();
    item->id = makeUuid();
    if (content.image) {
        // The entry names its image file even when writing it failed.
        item->imageFilename = history_file::imageFileName(item->id);
        writeImage(*content.image, *item->imageFilename);
    }
    saveSnapshot(offered, item->id);
    item->createdAt = services_.now();
    item->tags = std::move(content.tags);
    item->plainText = std::move(content.plainText);
    item->htmlText = std::move(content.html);
    item->pasteboardTypes = std::move(content.pasteboardTypes);
    item->sourceBundleID = std::move(content.sourceBundleID);
    if (text)
        textIdentities_.set(item, *text);

    std::vector<HistoryList::Entry> list;
    list.reserve(current.size() + 1);
    list.push_back(std::move(item));
    list.insert(list.end(), current.entries().begin(), current.entries().end());
    std::vector<HistoryWriter::Job> removals;
    trim(list, removals);
    items_ = HistoryList(std::move(list));
    textIdentities_.keepOnly(items_.get());
    save(std::move(removals));
}

// Drops the oldest entries beyond the limit; their files go after the save.
void HistoryStore::trim(std::vector<HistoryList::Entry>& list,
                        std::vector<HistoryWriter::Job>& removals) {
    const std::size_t limit = historyLimit(services_.defaults);
    while (list.size() > limit) {
        removals.push_back(fileRemoval(*list.back()));
        list.pop_back();
    }
}

void HistoryStore::remove(const ClipboardItem& item) {
    const auto& current = items_.get().entries();
    const auto found = std::find_if(current.begin(), current.end(),
                                    [&](const HistoryList::Entry& e) { return e->id == item.id; });
    if (found == current.end())
        return;
    std::vector<HistoryWriter::Job> removals = {fileRemoval(**found)};
    std::vector<HistoryList::Entry> list = current;
    list.erase(list.begin() + (found - current.begin()));
    items_ = HistoryList(std::move(list));
    textIdentities_.keepOnly(items_.get());
    save(std::move(removals));
}

void HistoryStore::clearAll() {
    std::vector<HistoryWriter::Job> removals;
    for (const auto& item : items_.get())
        removals.push_back(fileRemoval(item));
    items_ = HistoryList();
    textIdentities_.keepOnly(items_.get());
    save(std::move(removals));
}

HistoryList HistoryStore::search(std::string_view query) const {
    const HistoryList& list = items_.get();
    if (query.empty())
        return list;
    if (searchKeys_.size() > 2 * list.size() + 64)
        searchKeys_.keepOnly(list);
    const std::string folded = unicode::caseFolded(query);
    std::vector<HistoryList::Entry> found;
    for (const auto& entry : list.entries()) {
        if (searchKey(entry).find(folded) != std::string::npos)
            found.push_back(entry);
    }
    return HistoryList(std::move(found));
}

// An entry's title is a piece of its text whenever it has text, so the text alone decides;
// entries without text are matched by their title.
std::string HistoryStore::searchKey(const HistoryList::Entry& entry) const {
    const bool hasText = entry->plainText && !entry->plainText->empty();
    if (!hasText)
        return unicode::caseFolded(entry->displayText());
    return searchKeys_.get(
        entry, [](const ClipboardItem& item) { return unicode::caseFolded(*item.plainText); });
}

// The newest entry loaded and every entry added have theirs already; an older loaded entry that
// became the newest, or a list assigned from outside, gets them here.
const TextIdentity& HistoryStore::identity(const HistoryList::Entry& entry) {
    return textIdentities_.get(
        entry, [](const ClipboardItem& item) { return textIdentity(*item.plainText); });
}

ClipboardContent HistoryStore::content(const ClipboardItem& item) const {
    return readContent(item, imagePath(item), services_.imageCodec);
}

std::function<ClipboardContent()> HistoryStore::contentReader(HistoryList::Entry entry) const {
    return [entry, image = imagePath(*entry), &codec = services_.imageCodec] {
        return readContent(*entry, image, codec);
    };
}

std::function<std::optional<platform::PasteboardContents>()> HistoryStore::snapshotReader(
    const std::string& id) const {
    return [id, path = snapshotPath(id),
            pending = pendingSnapshots_]() -> std::optional<platform::PasteboardContents> {
        {
            std::lock_guard lock(pending->mutex);
            if (const auto found = pending->byId.find(id); found != pending->byId.end())
                return *found->second;
        }
        if (path.empty())
            return std::nullopt;
        const auto text = readFolderFile(path);
        if (!text)
            return std::nullopt;
        return snapshot::decode(*text);
    };
}

HistoryWriter::Job HistoryStore::fileRemoval(const ClipboardItem& item) const {
    return [image = imagePath(item), snapshot = snapshotPath(item.id)] {
        std::error_code ignored;
        if (!image.empty())
            fs::remove(image, ignored);
        if (!snapshot.empty())
            fs::remove(snapshot, ignored);
    };
}

void HistoryStore::writeImage(const platform::Image& image, const std::string& fileName) {
    writer_.writeFile([image, path = directory_ / fileName, &codec = services_.imageCodec] {
        const auto png = codec.encodePng(image);
        if (!png) {
            log::warning("The image of a new history entry could not be made into a PNG");
            return;
        }
        if (auto error = files::writeAtomically(path, *png)) {
            log::warning("The image " + path.filename().string() +
                         " could not be saved: " + error.message());
        }
    });
}

void HistoryStore::saveSnapshot(const platform::PasteboardContents& offered,
                                const std::string& id) {
    const auto path = snapshotPath(id);
    if (path.empty() || offered.empty())  // nothing to put back later
        return;
    auto contents = std::make_shared<const platform::PasteboardContents>(offered);
    {
        std::lock_guard lock(pendingSnapshots_->mutex);
        pendingSnapshots_->byId[id] = contents;
    }
    writer_.writeFile([contents, path, id, pending = pendingSnapshots_] {
        if (const auto text = snapshot::encode(*contents)) {
            if (auto error = files::writeAtomically(path, *text)) {
                log::warning("The clipboard snapshot of " + id +
                             " could not be saved: " + error.message());
            }
        }
        std::lock_guard lock(pending->mutex);
        pending->byId.erase(id);
    });
}

// Empty when the entry has no image file of its own.
fs::path HistoryStore::imagePath(const ClipboardItem& item) const {
    const std::string own = history_file::imageFileName(item.id);
    if (!item.imageFilename || *item.imageFilename != own || !history_file::isBareFileName(own))
        return {};
    return directory_ / own;
}

// Empty for an identifier that is not a plain name, so no path outside the folder is formed.
fs::path HistoryStore::snapshotPath(const std::string& id) const {
    const std::string name = id + ".pboard";
    return history_file::isBareFileName(name) ? directory_ / name : fs::path();
}

}  // namespace pindrake::clipboard
