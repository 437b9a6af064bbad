#pragma once

#include <cstdint>
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
// in front. The monitor is paused from the choice until a while after the write, and takes the
// change our write made as seen, so our own pastes never become history entries. An entry is
// read on a worker, however large; only the write itself happens on the main thread. A copy
// another application made since the monitor last looked is never written over: the paste
// stands down and the monitor captures that copy. Main thread only.
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
    // stored text, HTML and image instead. Pastes nothing when nothing is stored, when what is
    // stored has no bytes (an empty text), or when another application copied before the
    // entry could be put on the clipboard.
    void paste(const HistoryList::Entry& entry, HistoryStore& store,
               const std::shared_ptr<ClipboardMonitor>& monitor);
    // Pastes nothing, and leaves the clipboard as it is, when the content holds nothing.
    void paste(const ClipboardContent& content, const std::shared_ptr<ClipboardMonitor>& monitor);
    // Puts the entry on the clipboard as `paste` does, without the key, and then tells `done`
    // whether it went there.
    // The user's latest choice wins: every paste or restore calls off one still reading, whose
    // `done` then never runs.
    void restore(const HistoryList::Entry& entry, HistoryStore& store,
                 const std::shared_ptr<ClipboardMonitor>& monitor, std::function<void(bool)> done);
    // Calls off a paste still reading its entry, as a later choice does: it never writes, and
    // the monitor runs again at once. A restore has no key that could go astray; it goes on.
    void callOff();
    void simulatePaste();

  private:
    // What a worker read of an entry: its snapshot, or else its stored content; nothing when
    // neither holds anything.
    struct EntryRead {
        std::optional<platform::PasteboardContents> contents;
        bool fromSnapshot = false;
    };

    // Drops the choices before this one and pauses the monitor; the choice's number.
    std::uint64_t begin(ClipboardMonitor& monitor);
    bool writeRead(const std::string& id, EntryRead read, ClipboardMonitor& monitor);
    // False, with the monitor running again, when another application has copied since the
    // monitor last looked (our write would replace that copy) or took the clipboard first.
    bool writeUnlessOthersCopied(const platform::PasteboardContents& contents,
                                 ClipboardMonitor& monitor);
    // Resumes the monitor after the delay, unless a later choice holds it paused by then.
    void resumeLater(std::uint64_t choice, const std::shared_ptr<ClipboardMonitor>& monitor);

    Services services_;
    PendingCompletions<EntryRead> restores_;
    // The monitor a paste still reading holds paused.
    std::weak_ptr<ClipboardMonitor> pasteReading_;
    // The latest choice's number, shared with the resumes, which may run after we are gone.
    std::shared_ptr<std::uint64_t> latestChoice_ = std::make_shared<std::uint64_t>(0);
};

}  // namespace pindrake::clipboard
