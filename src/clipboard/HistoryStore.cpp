#include "clipboard/HistoryStore.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <set>
#include <variant>

#include "clipboard/FoldedTextScan.h"
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

// Whether the whole text of the entry's field was read into `text` (none when the entry has no
// such text).
bool readWholeText(const ClipboardItem& item, TextField field, const LargeTexts& largeTexts,
                   std::optional<std::string>& text) {
    const bool isPlain = field == TextField::plainText;
    if (!(isPlain ? item.plainTextIsStart : item.htmlTextIsStart)) {
        text = isPlain ? item.plainText : item.htmlText;
        return true;
    }
    text = largeTexts.read(item.id, field);
    return text.has_value();
}

// Of the entry's whole text; none when it could not be read.
std::optional<TextIdentity> identityOfText(const ClipboardItem& item,
                                           const LargeTexts& largeTexts) {
    if (!item.plainTextIsStart)
        return textIdentity(*item.plainText);
    const auto whole = largeTexts.read(item.id, TextField::plainText);
    if (!whole) {
        log::warning("The text of " + item.id + " could not be read to compare copies with it");
        return std::nullopt;
    }
    return textIdentity(*whole);
}

// The entry as a content; `image` is the path of its image file, empty when it has none.
ClipboardContent readContent(const ClipboardItem& item, const fs::path& image,
                             const platform::ImageCodec& codec, const LargeTexts& largeTexts) {
    ClipboardContent content;
    // Its beginning, or a file that is not the text recorded, would pass off another text as the
    // entry: nothing is read instead, as for an entry with nothing stored.
    if (!readWholeText(item, TextField::plainText, largeTexts, content.plainText) ||
        !readWholeText(item, TextField::htmlText, largeTexts, content.html)) {
        log::warning("The whole text of " + item.id +
                     " could not be read; nothing of the entry is pasted, copied or converted");
        return {};
    }
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

// The "<ID>" of "<ID>.png", "<ID>.pboard" or a large text's "<ID>.plainText" / "<ID>.htmlText";
// empty for any other name.
std::string_view entryIdOf(std::string_view name) {
    for (const std::string_view extension : {std::string_view(".png"), std::string_view(".pboard"),
                                             LargeTexts::extension(TextField::plainText),
                                             LargeTexts::extension(TextField::htmlText)}) {
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
      services_(std::move(services)),
      largeTexts_(std::make_shared<LargeTexts>(directory_)) {
    if (auto error = files::createPrivateDirectory(directory_)) {
        log::warning("History folder " + directory_.string() +
                     " could not be made: " + error.message());
    }
    load();
    removeLeftovers();
}

HistoryStore::~HistoryStore() {
    identityCompletions_.dropAll();
    addEveryWaitingCapture();
}

void HistoryStore::flush() {
    addEveryWaitingCapture();
    writer_.flush();
}

// No capture is lost at quit, nor a repeat let in: the identity still on its way is worked out
// here.
void HistoryStore::addEveryWaitingCapture() {
    if (waitingCaptures_.empty())
        return;
    if (newestIdentityIsPending()) {
        identity(items_->entries().front());
        identityAwaited_.reset();
    }
    addWaitingCaptures();
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
    // A history written before texts were kept apart holds them whole: they move to their files
    // now, and the history is saved without them once those are written. One written before
    // checks were recorded is saved with them once they are, so that no later start reads its
    // texts kept apart to work them out again.
    bool keptApart = false;
    bool checksToRecord = false;
    const auto recorded = std::make_shared<bool>(false);
    for (auto& item : decoded->items) {
        checksToRecord = recordLargeTextChecks(item, recorded) || checksToRecord;
        keptApart = keepLargeTextsApart(item) || keptApart;
    }
    publish(HistoryList(std::move(decoded->items)));
    if (!decoded->dropped.empty())
        keepDroppedEntries(std::move(decoded->dropped));
    if (keptApart)
        save({});
    else if (checksToRecord)
        save({}, recorded);
}

void HistoryStore::save(std::vector<HistoryWriter::Job> removals,
                        std::shared_ptr<const bool> onlyIf) {
    if (historyFileIsUntouchable_) {
        // Nothing is saved, but what the user removed still goes.
        for (auto& removal : removals)
            writer_.writeFile(std::move(removal));
        return;
    }
    writer_.saveHistory(
        [list = items_.get(), file = historyFile_, largeTexts = largeTexts_, onlyIf] {
            if (onlyIf && !*onlyIf)
                return;
            const auto unwritten = [&largeTexts](const std::string& id, TextField field) {
                return largeTexts->unwritten(id, field);
            };
            const auto recorded = [&largeTexts](const std::string& id, TextField field) {
                return largeTexts->recorded(id, field);
            };
            if (auto error =
                    files::writeAtomically(file, history_file::encode(list, unwritten, recorded))) {
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
    if (!waitingCaptures_.empty() || newestIdentityIsPending()) {
        waitingCaptures_.push_back({std::move(content), offered});
        return;
    }
    addNow(std::move(content), offered);
}

void HistoryStore::addNow(ClipboardContent content, const platform::PasteboardContents& offered) {
    const HistoryList& current = items_.get();
    std::optional<TextIdentity> text;
    if (content.plainText) {
        text = content.textIdentity ? *content.textIdentity : textIdentity(*content.plainText);
        if (!current.empty() && current.front().plainText &&
            identity(current.entries().front()) == text) {
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
    keepLargeTextsApart(*item);
    if (text)
        textIdentities_.set(item, *text);

    std::vector<HistoryList::Entry> list;
    list.reserve(current.size() + 1);
    list.push_back(std::move(item));
    list.insert(list.end(), current.entries().begin(), current.entries().end());
    std::vector<HistoryWriter::Job> removals;
    trim(list, removals);
    publish(HistoryList(std::move(list)));
    save(std::move(removals));
}

// The checks of an entry's texts kept apart live with the store's LargeTexts, for an entry loaded
// as for one captured now, which has them only once its files are written. A history written
// before checks were recorded is read unchecked until the checks of its files as they stand are
// recorded, by the writer.
bool HistoryStore::recordLargeTextChecks(ClipboardItem& item,
                                         const std::shared_ptr<bool>& recordedAny) {
    bool toRecord = false;
    const auto record = [&](bool isStart, std::optional<KeptTextCheck>& check, TextField field) {
        if (check) {
            largeTexts_->record(item.id, field, *std::exchange(check, std::nullopt));
        } else if (isStart) {
            toRecord = true;
            // The writer runs its jobs one at a time: the flag is only ever its own.
            writer_.writeFile([job = largeTexts_->recordAsItStands(item.id, field), recordedAny] {
                if (job())
                    *recordedAny = true;
            });
        }
    };
    record(item.plainTextIsStart, item.plainTextCheck, TextField::plainText);
    record(item.htmlTextIsStart, item.htmlTextCheck, TextField::htmlText);
    return toRecord;
}

bool HistoryStore::keepLargeTextsApart(ClipboardItem& item) {
    bool keptApart = false;
    const auto keepApart = [&](std::optional<std::string>& text, bool& isStart, TextField field) {
        if (!text || isStart || !LargeTexts::isLarge(*text))
            return;
        writer_.writeFile(largeTexts_->keep(item.id, field, LargeTexts::cut(*text)));
        isStart = keptApart = true;
    };
    keepApart(item.plainText, item.plainTextIsStart, TextField::plainText);
    keepApart(item.htmlText, item.htmlTextIsStart, TextField::htmlText);
    return keptApart;
}

// Every change of the list goes through here, so that a new newest entry gets its identity.
void HistoryStore::publish(HistoryList list) {
    items_ = std::move(list);
    textIdentities_.keepOnly(items_.get());
    workOutNewestIdentity();
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
    publish(HistoryList(std::move(list)));
    save(std::move(removals));
    addWaitingCaptures();
}

void HistoryStore::clearAll() {
    std::vector<HistoryWriter::Job> removals;
    for (const auto& item : items_.get())
        removals.push_back(fileRemoval(item));
    publish(HistoryList());
    save(std::move(removals));
    addWaitingCaptures();
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
        if (holdsFolded(searchKey(entry), folded))
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

// Every entry added has its identity already, and a newest entry gets its own when it becomes
// the newest; a list assigned from outside, or a quit while one is worked out, gets it here.
const std::optional<TextIdentity>& HistoryStore::identity(const HistoryList::Entry& entry) {
    return textIdentities_.get(
        entry, [this](const ClipboardItem& item) { return identityOfText(item, *largeTexts_); });
}

bool HistoryStore::newestIdentityIsPending() const {
    return identityAwaited_ && !items_->empty() && items_->entries().front() == identityAwaited_;
}

// Only the newest entry is ever compared with a capture. Its text is short, and read here, unless
// it is kept apart: then it is read on a worker.
void HistoryStore::workOutNewestIdentity() {
    const HistoryList& list = items_.get();
    if (list.empty() || !list.front().plainText || newestIdentityIsPending() ||
        textIdentities_.contains(list.entries().front())) {
        return;
    }
    const HistoryList::Entry& newest = list.entries().front();
    if (!newest->plainTextIsStart) {
        identity(newest);
        return;
    }
    identityAwaited_ = newest;
    runInBackground<std::optional<TextIdentity>>(
        identityReads_, services_.main, identityCompletions_,
        [newest, largeTexts = largeTexts_](const CancellationToken&) {
            return identityOfText(*newest, *largeTexts);
        },
        [this, newest](std::optional<TextIdentity> worked) {
            if (!newestIdentityIsPending() || identityAwaited_ != newest)
                return;
            identityAwaited_.reset();
            textIdentities_.set(newest, worked);
            addWaitingCaptures();
        });
}

// An entry added has its identity, so once the newest entry's is known every capture goes in.
void HistoryStore::addWaitingCaptures() {
    while (!waitingCaptures_.empty() && !newestIdentityIsPending()) {
        WaitingCapture capture = std::move(waitingCaptures_.front());
        waitingCaptures_.pop_front();
        addNow(std::move(capture.content), capture.offered);
    }
}

ClipboardContent HistoryStore::content(const ClipboardItem& item) const {
    return readContent(item, imagePath(item), services_.imageCodec, *largeTexts_);
}

std::function<ClipboardContent()> HistoryStore::contentReader(HistoryList::Entry entry) const {
    return [entry, image = imagePath(*entry), &codec = services_.imageCodec,
            largeTexts = largeTexts_] { return readContent(*entry, image, codec, *largeTexts); };
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
    return [id = item.id, largeTexts = largeTexts_,
            paths = std::array{imagePath(item), snapshotPath(item.id),
                               largeTexts_->path(item.id, TextField::plainText),
                               largeTexts_->path(item.id, TextField::htmlText)}] {
        std::error_code ignored;
        for (const auto& path : paths) {
            if (!path.empty())
                fs::remove(path, ignored);
        }
        largeTexts->forget(id);
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
