#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "clipboard/ClipboardContent.h"
#include "clipboard/ClipboardItem.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryList.h"
#include "clipboard/HistoryStore.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "platform/ImageCodec.h"
#include "platform/KeySynth.h"
#include "platform/Pasteboard.h"

namespace pindrake::clipboard {

// Puts an entry or a converted content on the clipboard and presses Ctrl+V in the application
// in front. The monitor is paused around the write and then takes the change it caused as
// seen, so our own pastes never become history entries. An entry is read on a worker, however
// large; only the write itself happens on the main thread. Main thread only.
class PasteService {
  public:
    struct Services {
        Scheduler& main;
        platform::Pasteboard& pasteboard;
        platform::KeySynth& keySynth;
        // Used by the entry reads too, so it must outlive them.
        const platform::ImageCodec& imageCodec;
        // Runs a job off the main queue: where an entry is read before it goes on the clipboard.
        std::function<void(std::function<void()>)> onWorker;
    };

    static constexpr Duration resumeDelay = std::chrono::milliseconds(200);

    explicit PasteService(Services services) : services_(std::move(services)) {}
    // An entry still being read is never written.
    ~PasteService() { restores_.dropAll(); }
    PasteService(const PasteService&) = delete;
    PasteService& operator=(const PasteService&) = delete;

    // Pastes the entry as captured (its snapshot); when the snapshot is gone or damaged, its
    // stored text, HTML and image instead. Pastes nothing when nothing is stored, or when
    // another application took the clipboard before the entry could be put there.
    void paste(const HistoryList::Entry& entry, HistoryStore& store,
               const std::shared_ptr<ClipboardMonitor>& monitor);
    void paste(const ClipboardContent& content, const std::shared_ptr<ClipboardMonitor>& monitor);
    // Puts the entry on the clipboard as `paste` does, pausing the monitor until the write, and
    // then tells `done` whether it went there. When it did not, the monitor runs again, and a copy
    // that took the clipboard meanwhile is captured as any other.
    // The user's latest choice wins: every paste or restore calls off a restore still reading,
    // whose `done` then never runs.
    void restore(const HistoryList::Entry& entry, HistoryStore& store,
                 const std::shared_ptr<ClipboardMonitor>& monitor, std::function<void(bool)> done);
    // Replaces the clipboard's contents with the content's image (as PNG), HTML and text; false
    // when another application took the clipboard first.
    bool write(const ClipboardContent& content);
    void simulatePaste();
    // Takes the clipboard's current change count as seen and unpauses the monitor.
    void resumeMonitor(ClipboardMonitor& monitor);

  private:
    // What a worker read of an entry: its snapshot, or else its stored content; nothing when
    // neither holds anything.
    struct EntryRead {
        std::optional<platform::PasteboardContents> contents;
        bool fromSnapshot = false;
    };

    bool writeRead(const std::string& id, EntryRead read, ClipboardMonitor& monitor);
    void pasteAndResumeLater(const std::shared_ptr<ClipboardMonitor>& monitor);

    Services services_;
    PendingCompletions<EntryRead> restores_;
};

}  // namespace pindrake::clipboard
