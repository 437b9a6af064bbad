#pragma once

#include <memory>

#include "clipboard/ClipboardContent.h"
#include "clipboard/ClipboardItem.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "foundation/Scheduler.h"
#include "platform/ImageCodec.h"
#include "platform/KeySynth.h"
#include "platform/Pasteboard.h"

namespace pindrake::clipboard {

// Puts an entry or a converted content on the clipboard and presses Ctrl+V in the application
// in front. The monitor is paused around the write and then takes the change it caused as
// seen, so our own pastes never become history entries. Main thread only; holds no state.
class PasteService {
  public:
    struct Services {
        Scheduler& main;
        platform::Pasteboard& pasteboard;
        platform::KeySynth& keySynth;
        const platform::ImageCodec& imageCodec;
    };

    static constexpr Duration resumeDelay = std::chrono::milliseconds(200);

    explicit PasteService(Services services) : services_(services) {}

    // Pastes the entry as captured (its snapshot); when the snapshot is gone or damaged, its
    // stored text, HTML and image instead. Pastes nothing when nothing is stored, or when
    // another application took the clipboard before the entry could be put there.
    void paste(const ClipboardItem& item, HistoryStore& store,
               const std::shared_ptr<ClipboardMonitor>& monitor);
    void paste(const ClipboardContent& content, const std::shared_ptr<ClipboardMonitor>& monitor);
    // Puts the entry on the clipboard as `paste` does, pausing the monitor. False when nothing
    // went there: the monitor then runs again, and a copy that took the clipboard meanwhile is
    // captured as any other.
    bool restore(const ClipboardItem& item, HistoryStore& store, ClipboardMonitor& monitor);
    // Replaces the clipboard's contents with the content's image (as PNG), HTML and text; false
    // when another application took the clipboard first.
    bool write(const ClipboardContent& content);
    void simulatePaste();
    // Takes the clipboard's current change count as seen and unpauses the monitor.
    void resumeMonitor(ClipboardMonitor& monitor);

  private:
    void pasteAndResumeLater(const std::shared_ptr<ClipboardMonitor>& monitor);

    Services services_;
};

}  // namespace pindrake::clipboard
