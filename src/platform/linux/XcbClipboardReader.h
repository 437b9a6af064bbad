#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/Pasteboard.h"
#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbEventSource.h"
#include "platform/linux/XcbSelectionTransfer.h"

namespace pindrake::platform {

// Reads every new copy of the CLIPBOARD selection on a worker thread, with a connection of its
// own, as soon as the X server reports the new owner. The change count goes up once a copy has
// been read (or found empty), so whoever sees it takes the copy at once, without touching X; an
// owner that leaves the clipboard empty makes no copy to count.
// A copy read while the one before it has not been taken yet waits for it: an older copy read
// after a newer one appeared, or just before, is taken first.
class XcbClipboardReader {
  public:
    // The windows of one X client (the toolkit's own connection): copies they own are ours,
    // written through `noteOwnWrite`, and are not read back.
    struct Client {
        std::uint32_t resourceBase = 0;
        std::uint32_t resourceMask = 0;

        bool made(xcb_window_t window) const {
            return window != XCB_WINDOW_NONE && (window & ~resourceMask) == resourceBase;
        }
    };

    explicit XcbClipboardReader(std::optional<Client> ownClient = std::nullopt,
                                SelectionReadLimits limits = {});
    ~XcbClipboardReader();
    XcbClipboardReader(const XcbClipboardReader&) = delete;
    XcbClipboardReader& operator=(const XcbClipboardReader&) = delete;

    // Whether the display could be watched at all.
    bool isWatching() const { return worker_.joinable(); }
    // Any thread.
    std::int64_t changeCount() const { return changeCount_.load(); }
    // The copy the change count stands for.
    std::shared_ptr<const PasteboardContents> contents() const;
    // The same, taken: a copy read meanwhile now counts as the next change.
    std::shared_ptr<const PasteboardContents> take();
    // Any thread. Another client took the clipboard and the worker has not finished with its
    // copy. (An owner change the server has not reported to the worker yet is not known here.)
    bool isReadingACopy() const { return ownerChangesDone_.load() != ownerChanges_.load(); }
    // We are about to own the clipboard with these contents: they count as one change, and a
    // read still running for an earlier copy is dropped.
    void noteOwnWrite(PasteboardContents contents);

  private:
    struct OwnerChange {
        xcb_window_t owner;
        xcb_timestamp_t time;
    };

    bool watch();
    void run();
    // The new owner (none when the owner left) when the event tells of one.
    std::optional<xcb_window_t> noteOwnerChange(const xcb_generic_event_t& event);
    void readAndPublish(const OwnerChange& change, XcbEventSource& events);
    void publish(PasteboardContents contents, std::uint64_t startedInEpoch);
    void noteOwnerLeft();
    // Guarded by mutex_ (held).
    void show(std::shared_ptr<const PasteboardContents> contents);
    bool isOurs(xcb_window_t window) const;
    bool isAnotherClientsCopy(xcb_window_t owner) const;

    XcbConnection x_;
    std::optional<Client> ownClient_;
    SelectionReadLimits limits_;
    SelectionAtoms atoms_;
    std::uint8_t xfixesFirstEvent_ = 0;
    int stopPipe_[2] = {-1, -1};

    // Worker only.
    std::optional<OwnerChange> pending_;
    // Other clients' copies replaced by newer ones before they could be read.
    std::int64_t replacedUnread_ = 0;
    std::unordered_map<xcb_atom_t, std::string> atomNames_;

    mutable std::mutex mutex_;
    // Guarded by mutex_.
    std::shared_ptr<const PasteboardContents> contents_;
    std::uint64_t epoch_ = 0;  // bumped by our writes
    bool shownTaken_ = true;   // whether `contents_` was taken
    // A copy read since, which the change count comes to once `contents_` is taken.
    std::shared_ptr<const PasteboardContents> waiting_;

    std::atomic<std::int64_t> changeCount_{0};
    // Other clients' takings of the clipboard noted by the worker, and how many of them it has
    // finished with (read and published, or replaced by a newer one).
    std::atomic<std::int64_t> ownerChanges_{0};
    std::atomic<std::int64_t> ownerChangesDone_{0};

    std::thread worker_;
};

}  // namespace pindrake::platform
