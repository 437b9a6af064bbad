#include "clipboard/PasteService.h"

#include "foundation/Log.h"

namespace pindrake::clipboard {

namespace pasteboard_type = platform::pasteboard_type;

namespace {

bool holdsAnything(const ClipboardContent& content) {
    return content.plainText || content.html || content.image;
}

platform::PasteboardContents pasteboardContents(const ClipboardContent& content,
                                                const platform::ImageCodec& imageCodec) {
    platform::PasteboardContents contents;
    if (content.image) {
        if (auto png = imageCodec.encodePng(*content.image)) {
            contents.set(std::string(pasteboard_type::png), std::move(*png));
        }
    }
    if (content.html)
        contents.set(std::string(pasteboard_type::html), *content.html);
    if (content.plainText)
        contents.set(std::string(pasteboard_type::plainText), *content.plainText);
    return contents;
}

void resynchronise(ClipboardMonitor& monitor, const platform::Pasteboard& pasteboard) {
    monitor.setLastChangeCount(pasteboard.changeCount());
    monitor.setPaused(false);
}

}  // namespace

void PasteService::paste(const HistoryList::Entry& entry, HistoryStore& store,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    restore(entry, store, monitor, [this, monitor](bool written) {
        if (written)
            pasteAndResumeLater(monitor);
    });
}

void PasteService::paste(const ClipboardContent& content,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    // An entry still being read must not land over this later choice.
    restores_.dropAll();
    monitor->setPaused(true);
    if (!write(content)) {
        monitor->setPaused(false);
        return;
    }
    pasteAndResumeLater(monitor);
}

void PasteService::restore(const HistoryList::Entry& entry, HistoryStore& store,
                           const std::shared_ptr<ClipboardMonitor>& monitor,
                           std::function<void(bool)> done) {
    // The latest choice wins: an earlier entry still being read is never written. Its pause is
    // this one's now, which ends as any other.
    restores_.dropAll();
    monitor->setPaused(true);
    auto completion = restores_.add(
        services_.main, [this, id = entry->id, monitor, done = std::move(done)](EntryRead read) {
            done(writeRead(id, std::move(read), *monitor));
        });
    services_.onWorker([completion, snapshot = store.snapshotReader(entry->id),
                        stored = store.contentReader(entry), &codec = services_.imageCodec] {
        EntryRead read;
        read.contents = snapshot();
        read.fromSnapshot = read.contents.has_value();
        if (!read.fromSnapshot) {
            const ClipboardContent content = stored();
            // Writing nothing would only empty the user's clipboard.
            if (holdsAnything(content))
                read.contents = pasteboardContents(content, codec);
        }
        completion->settle(std::move(read));
    });
}

bool PasteService::writeRead(const std::string& id, EntryRead read, ClipboardMonitor& monitor) {
    if (!read.fromSnapshot)
        log::diagnostic("[PasteService] restorePasteboard failed: " + id);
    if (!read.contents) {
        resumeMonitor(monitor);
        return false;
    }
    if (services_.pasteboard.write(*read.contents))
        return true;
    // The change count is not taken as seen: the copy that took the clipboard is the user's.
    monitor.setPaused(false);
    return false;
}

bool PasteService::write(const ClipboardContent& content) {
    return services_.pasteboard.write(pasteboardContents(content, services_.imageCodec));
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
