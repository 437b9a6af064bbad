#include "clipboard/PasteService.h"

#include <algorithm>

#include "foundation/Log.h"

namespace pindrake::clipboard {

namespace pasteboard_type = platform::pasteboard_type;

namespace {

bool holdsAnything(const ClipboardContent& content) {
    return content.plainText || content.html || content.image;
}

// An empty copy (an empty text, say) is kept as an entry like any other, but putting it back
// would only empty the user's clipboard, and the key would paste nothing.
bool holdsAnyBytes(const platform::PasteboardContents& contents) {
    return std::any_of(contents.entries().begin(), contents.entries().end(),
                       [](const platform::PasteboardEntry& entry) { return !entry.data.empty(); });
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

}  // namespace

void PasteService::paste(const HistoryList::Entry& entry, HistoryStore& store,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    restore(entry, store, monitor, [this](bool written) {
        if (written)
            simulatePaste();
    });
    pasteReading_ = monitor;
}

void PasteService::paste(const ClipboardContent& content,
                         const std::shared_ptr<ClipboardMonitor>& monitor) {
    const auto contents = pasteboardContents(content, services_.imageCodec);
    if (!holdsAnyBytes(contents)) {
        log::warning("Nothing was pasted: there was nothing to paste");
        return;
    }
    const std::uint64_t choice = begin(*monitor);
    if (!writeUnlessOthersCopied(contents, *monitor))
        return;
    simulatePaste();
    resumeLater(choice, monitor);
}

void PasteService::restore(const HistoryList::Entry& entry, HistoryStore& store,
                           const std::shared_ptr<ClipboardMonitor>& monitor,
                           std::function<void(bool)> done) {
    const std::uint64_t choice = begin(*monitor);
    auto completion = restores_.add(services_.main, [this, id = entry->id, choice, monitor,
                                                     done = std::move(done)](EntryRead read) {
        pasteReading_.reset();
        const bool written = writeRead(id, std::move(read), *monitor);
        if (written)
            resumeLater(choice, monitor);
        done(written);
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

void PasteService::callOff() {
    if (const auto monitor = std::exchange(pasteReading_, {}).lock()) {
        restores_.dropAll();
        monitor->setPaused(false);
    }
}

std::uint64_t PasteService::begin(ClipboardMonitor& monitor) {
    // The latest choice wins: an earlier entry still being read is never written. Its pause is
    // this one's now.
    restores_.dropAll();
    pasteReading_.reset();
    // A copy already read from the clipboard is captured before our write can replace it.
    if (!monitor.isPaused())
        monitor.checkPasteboard();
    monitor.setPaused(true);
    return ++*latestChoice_;
}

bool PasteService::writeRead(const std::string& id, EntryRead read, ClipboardMonitor& monitor) {
    if (!read.fromSnapshot)
        log::diagnostic("[PasteService] restorePasteboard failed: " + id);
    if (read.contents && !holdsAnyBytes(*read.contents)) {
        log::warning("Nothing was pasted: " + id + " holds nothing to paste");
        read.contents.reset();
    }
    if (!read.contents) {
        monitor.setPaused(false);
        return false;
    }
    return writeUnlessOthersCopied(*read.contents, monitor);
}

bool PasteService::writeUnlessOthersCopied(const platform::PasteboardContents& contents,
                                           ClipboardMonitor& monitor) {
    auto& pasteboard = services_.pasteboard;
    // Our own writes are taken as seen as they are made, so any other change is another
    // application's copy.
    if (pasteboard.isReadingACopy() || pasteboard.changeCount() != monitor.lastChangeCount()) {
        log::warning(
            "Another application copied while the paste was prepared; nothing is "
            "pasted, and its copy is kept");
        monitor.setPaused(false);
        return false;
    }
    if (!pasteboard.write(contents)) {
        // The copy that took the clipboard is the user's: the monitor captures it.
        monitor.setPaused(false);
        return false;
    }
    monitor.setLastChangeCount(pasteboard.changeCount());
    return true;
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

void PasteService::resumeLater(std::uint64_t choice,
                               const std::shared_ptr<ClipboardMonitor>& monitor) {
    // The block keeps the monitor alive until it has run, and needs nothing of this object,
    // which may be gone by then. Our write was taken as seen when it was made, so a copy another
    // application makes meanwhile is captured once the monitor runs again.
    services_.main.postAfter(resumeDelay, [monitor, choice, latest = latestChoice_] {
        if (*latest == choice)
            monitor->setPaused(false);
    });
}

}  // namespace pindrake::clipboard
