#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "clipboard/ClipboardContent.h"
#include "clipboard/ClipboardItem.h"
#include "clipboard/EntryCache.h"
#include "clipboard/HistoryList.h"
#include "clipboard/HistoryWriter.h"
#include "clipboard/LargeTexts.h"
#include "clipboard/TextIdentity.h"
#include "foundation/BackgroundTask.h"
#include "foundation/Published.h"
#include "platform/Defaults.h"
#include "platform/ImageCodec.h"
#include "platform/Pasteboard.h"

namespace pindrake::clipboard {

// The clipboard history and its folder: "history.json", one "<id>.png" per image entry, one
// "<id>.pboard" snapshot per entry and the texts too large to keep with the list (LargeTexts).
// Every change is saved at once, by a writer thread, so the main thread never waits on the disk;
// destruction waits for what is still to be written. Main thread only.
class HistoryStore {
  public:
    struct Services {
        Scheduler& main;
        const platform::Defaults& defaults;
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
    // Adds the captures still waiting for the newest entry's identity.
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Newest first. Assigning a whole list publishes it without saving it.
    Published<HistoryList>& items() { return items_; }
    const Published<HistoryList>& items() const { return items_; }
    const std::filesystem::path& directory() const { return directory_; }
    const std::filesystem::path& historyFile() const { return historyFile_; }

    // Adds the content as the newest entry, with `offered` (the clipboard's types as read
    // with it) as its snapshot, unless its text equals the newest entry's text (as Unicode
    // text: the same in NFC). Takes what it keeps without copying or reading it, so a capture
    // of any size costs the main thread the same, when the content brings its text's identity.
    // While the identity of a newest entry kept apart is still being worked out, on a worker,
    // the capture waits for it, after any capture waiting before.
    void add(ClipboardContent content, const platform::PasteboardContents& offered);
    void remove(const ClipboardItem& item);
    void clearAll();
    // The entries whose text or title contains the query, ignoring case, in history order;
    // everything for an empty query. Of a text kept apart, only what the entry keeps is searched
    // here, so that a search never reads a file: LargeTextSearch looks through the rest.
    HistoryList search(std::string_view query) const;
    // The texts kept apart, for the jobs that read them.
    std::shared_ptr<const LargeTexts> largeTexts() const { return largeTexts_; }
    // The entry as a content, with its whole texts and its image read from their files; nothing
    // at all when a text kept apart cannot be read as the history recorded it.
    ClipboardContent content(const ClipboardItem& item) const;
    // The same as a job for a worker, which copies the texts and reads the files there: it
    // keeps the entry and uses nothing of the store but its image codec, which must outlive it.
    std::function<ClipboardContent()> contentReader(HistoryList::Entry entry) const;
    // The entry's snapshot as a job for a worker, which reads and decodes it there (a snapshot
    // still waiting for its write comes from memory); nothing when it is gone or damaged. The job
    // uses nothing of the store.
    std::function<std::optional<platform::PasteboardContents>()> snapshotReader(
        const std::string& id) const;
    // Adds the captures still waiting (working out the identity they wait for here) and waits
    // until every change so far is on disk: for quitting and for tests.
    void flush();

  private:
    void load();
    // Saves the published list; `removals` (of the files of entries it dropped) run after it.
    // With `onlyIf`, the save is made only if that is true by then.
    void save(std::vector<HistoryWriter::Job> removals, std::shared_ptr<const bool> onlyIf = {});
    void addNow(ClipboardContent content, const platform::PasteboardContents& offered);
    void trim(std::vector<HistoryList::Entry>& list, std::vector<HistoryWriter::Job>& removals);
    // Moves the checks the history recorded of the loaded item's texts kept apart to LargeTexts,
    // which checks their reads; whether some were not recorded. Those are worked out by the
    // writer, which sets `recordedAny` when it records one.
    bool recordLargeTextChecks(ClipboardItem& item, const std::shared_ptr<bool>& recordedAny);
    // Moves the item's large texts to their files; whether it had any.
    bool keepLargeTextsApart(ClipboardItem& item);
    void publish(HistoryList list);
    bool newestIdentityIsPending() const;
    void workOutNewestIdentity();
    void addWaitingCaptures();
    void addEveryWaitingCapture();
    HistoryWriter::Job fileRemoval(const ClipboardItem& item) const;
    void writeImage(const platform::Image& image, const std::string& fileName);
    void saveSnapshot(const platform::PasteboardContents& offered, const std::string& id);
    bool setAsideUnreadableHistory();
    std::filesystem::path asideName(std::string_view tag) const;
    void keepDroppedEntries(std::vector<std::string> dropped);
    void removeLeftovers();
    std::filesystem::path imagePath(const ClipboardItem& item) const;
    std::filesystem::path snapshotPath(const std::string& id) const;
    std::string searchKey(const HistoryList::Entry& entry) const;
    const std::optional<TextIdentity>& identity(const HistoryList::Entry& entry);

    // Snapshots handed to the writer and not yet on disk, by entry id: a paste right after
    // a copy finds them here. Shared with the writer's jobs.
    struct PendingSnapshots {
        std::mutex mutex;
        std::unordered_map<std::string, std::shared_ptr<const platform::PasteboardContents>> byId;
    };

    std::filesystem::path directory_;
    std::filesystem::path historyFile_;
    Services services_;
    Published<HistoryList> items_;
    // Set when a history file that could not be read could not be moved aside either: it is
    // never overwritten.
    bool historyFileIsUntouchable_ = false;
    bool historyWasUnreadable_ = false;
    std::shared_ptr<PendingSnapshots> pendingSnapshots_ = std::make_shared<PendingSnapshots>();

    // Case-folded search text of the entries with text: a search after a change folds only the
    // new ones; the titles of entries without text carry a local time and are folded afresh.
    mutable EntryCache<std::string> searchKeys_;
    std::shared_ptr<LargeTexts> largeTexts_;
    // Of the entries with text in the list, worked out as they came (of those loaded, the newest
    // only): a capture seldom reads the newest entry's text to compare it with its own. None for
    // a text kept apart whose file could not be read: it equals no capture.
    EntryCache<std::optional<TextIdentity>> textIdentities_;
    // The identity of a newest entry kept apart is worked out here, so that neither a start nor
    // a removal reads its text on the main thread; captures wait for it meanwhile.
    WorkQueue identityReads_{"history-reads", 1};
    PendingCompletions<std::optional<TextIdentity>> identityCompletions_;
    HistoryList::Entry identityAwaited_;
    struct WaitingCapture {
        ClipboardContent content;
        platform::PasteboardContents offered;
    };
    std::deque<WaitingCapture> waitingCaptures_;

    // Last, so that it finishes writing before anything above goes away.
    HistoryWriter writer_;
};

}  // namespace pindrake::clipboard
