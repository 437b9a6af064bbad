#include "clipboard/PasteService.h"

#include "foundation/Log.h"

namespace pindrake::clipboard {

namespace pasteboard_type = platform::pasteboard_type;

namespace {

bool holdsAnything(const ClipboardContent& content) {
    return content.plainText || content.html || content.image;
}

void resynchronise(ClipboardMonitor& monitor, const platform::Pasteboard& pasteboard) {
    monitor.setLastChangeCount(pasteboard.changeCount());
    monitor.setPaused(false);
}

}  // namespace

void PasteService::paste(const ClipboardItem& item, HistoryStore& store,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    if (restore(item, store, *monitor))
        pasteAndResumeLater(monitor);
}

void PasteService::paste(const ClipboardContent& content,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    monitor->setPaused(true);
    if (!write(content)) {
        monitor->setPaused(false);
        return;
    }
    pasteAndResumeLater(monitor);
}

bool PasteService::restore(const ClipboardItem& item, HistoryStore& store,
                           ClipboardMonitor& monitor) {
    monitor.setPaused(true);
    bool written = false;
    switch (store.restoreToPasteboard(item)) {
        case HistoryStore::Restore::restored:
            return true;
        case HistoryStore::Restore::clipboardTaken:
            break;
        case HistoryStore::Restore::noSnapshot: {
            log::diagnostic("[PasteService] restorePasteboard failed: " + item.id);
            const ClipboardContent stored = store.content(item);
            // Writing nothing would only empty the user's clipboard.
            if (!holdsAnything(stored)) {
                resumeMonitor(monitor);
                return false;
            }
            written = write(stored);
            break;
        }
    }
    // The change count is not taken as seen: the copy that took the clipboard is the user's.
    if (!written)
        monitor.setPaused(false);
    return written;
}

bool PasteService::write(const ClipboardContent& content) {
    platform::PasteboardContents contents;
    if (content.image) {
        if (auto png = services_.imageCodec.encodePng(*content.image)) {
            contents.set(std::string(pasteboard_type::png), std::move(*png));
        }
    }
    if (content.html)
        contents.set(std::string(pasteboard_type::html), *content.html);
    if (content.plainText)
        contents.set(std::string(pasteboard_type::plainText), *content.plainText);
    return services_.pasteboard.write(contents);
}

void PasteService::simulatePaste() {
    if (!services_.keySynth.isTrusted())
        return;
    const platform::PasteKey key = services_.keySynth.pasteKey();
    // Those terminals paste the primary selection; it carries the same contents for this paste,
    // or the key would paste what another application selected.
    if (key == platform::PasteKey::shiftInsert && !services_.pasteboard.copyToPrimarySelection())
        return;
    services_.keySynth.postPaste(key);
}

void PasteService::resumeMonitor(ClipboardMonitor& monitor) {
    resynchronise(monitor, services_.pasteboard);
}

void PasteService::pasteAndResumeLater(const std::shared_ptr<ClipboardMonitor>& monitor) {
    simulatePaste();
    // The block keeps the monitor alive until it has run. It needs only the two platform
    // services, not this object, which may be gone by then.
    services_.main.postAfter(resumeDelay, [monitor, &pasteboard = services_.pasteboard] {
        resynchronise(*monitor, pasteboard);
    });
}

}  // namespace pindrake::clipboard
