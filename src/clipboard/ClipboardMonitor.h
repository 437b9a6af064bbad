#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "clipboard/ClipboardContent.h"
#include "foundation/PendingCompletion.h"
#include "foundation/RunOnce.h"
#include "foundation/Scheduler.h"
#include "platform/ImageCodec.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

namespace pindrake::clipboard {

// How far the clipboard monitor lets its checks fall behind, and how long it waits for them at
// quit.
struct CaptureLimits {
    // Copies read and not yet handed on: at either bound, a new copy is left on the clipboard
    // (which keeps only the newest) until the checks catch up.
    std::size_t maxWaitingCopies = 16;
    std::size_t maxWaitingBytes = std::size_t{512} << 20;
    // How long quitting waits for the check in progress on the worker.
    Duration quitWait = seconds(30);
};

// Watches the clipboard and turns every new content into a `ClipboardContent`. Main thread
// only; always owned by a shared pointer, so that its timer and queued checks can tell when it
// is gone. What a copy holds is checked on a worker (an image's structure, the kinds of a text
// can take long on big content), and copies reach the handler in the order they were made.
class ClipboardMonitor : public std::enable_shared_from_this<ClipboardMonitor> {
  public:
    // Gets each new content together with everything the clipboard offered in that same read,
    // which is what a later paste puts back. The content is the handler's to keep: a copy of a
    // large text would hold up the main thread.
    using Handler =
        std::function<void(ClipboardContent content, const platform::PasteboardContents& offered)>;

    struct Services {
        Scheduler& main;
        platform::Pasteboard& pasteboard;
        const platform::Workspace& workspace;
        // Used by the checks, on the worker: each job keeps it for as long as it runs, since a
        // job still running at quit outlives whoever made the monitor.
        std::shared_ptr<const platform::ImageCodec> imageCodec;
        // Runs a job off the main queue: where each copy is checked.
        std::function<void(std::function<void()>)> onWorker;
        CaptureLimits limits = {};
    };

    static constexpr Duration pollInterval = std::chrono::milliseconds(500);

    // Whatever the clipboard holds at creation is taken as seen and never captured.
    static std::shared_ptr<ClipboardMonitor> create(Services services, Handler onNewContent);
    ~ClipboardMonitor();
    ClipboardMonitor(const ClipboardMonitor&) = delete;
    ClipboardMonitor& operator=(const ClipboardMonitor&) = delete;

    // Polls the clipboard's change count every half second until `stop`.
    void start();
    void stop();
    void scheduleCheckOnMain();
    // One poll. A new copy is read here and checked on the worker; it reaches the handler in a
    // later turn, after every copy read before it.
    void checkPasteboard();
    // At quit: stops polling, takes the copies already read from the clipboard, and hands on every
    // copy read, in order, before returning. Checks the worker has not started run here; the one
    // in progress is waited for up to `CaptureLimits::quitWait`, and dropped with a warning
    // past it.
    void finishAtQuit();
    // The content of one read of the clipboard, by preference a file, an image, then HTML and
    // text, with the identity of its text; `sourceBundleID` is left absent. Any thread; takes as
    // long as the content needs.
    static std::optional<ClipboardContent> readContent(const platform::PasteboardContents& offered,
                                                       const platform::ImageCodec& imageCodec);

    // The paste service pauses the monitor around its own writes and then takes the change
    // count it caused as seen.
    bool isPaused() const { return isPaused_; }
    void setPaused(bool paused) { isPaused_ = paused; }
    std::int64_t lastChangeCount() const { return lastChangeCount_; }
    void setLastChangeCount(std::int64_t count) { lastChangeCount_ = count; }

    // Classification of a captured text: the kinds whose tests pass on the trimmed text; never
    // `plainText`, which the caller adds when nothing else applies.
    static ContentTags detectTags(std::string_view text);
    // Takes the text as captured, which is what the JSON converters take.
    static bool isJSON(std::string_view text);
    // The tests below take the trimmed text.
    static bool isUnixTimestamp(std::string_view text);
    static bool isBase64(std::string_view text);
    static bool containsFullWidth(std::string_view text);
    static bool isColorCode(std::string_view text);
    static bool isURL(std::string_view text);

  private:
    using Check = RunOnce<std::optional<ClipboardContent>>;

    // A copy read from the clipboard whose check may still be running.
    struct Capture {
        platform::PasteboardContents offered;
        std::size_t bytes = 0;
        std::optional<std::string> sourceBundleID;
        std::shared_ptr<Check> check;
        // Set once checked: what the copy gives, or nothing for a copy that is dropped.
        std::optional<std::optional<ClipboardContent>> checked;
    };

    ClipboardMonitor(Services services, Handler onNewContent);

    bool hasRoomForACopy() const;
    void readNewCopy(std::int64_t count);
    void finishCheck(std::uint64_t sequence);
    // Hands on the checked copies at the front, up to the first still being checked.
    void handOnChecked();
    // Keeps what the copy's check gave; a copy that gives nothing is logged with what it offered.
    void noteChecked(Capture& capture, std::optional<ClipboardContent> content);

    Services services_;
    Handler onNewContent_;
    std::optional<TimerHandle> timer_;
    std::int64_t lastChangeCount_;
    bool isPaused_ = false;
    // The copies read and not yet handed on, oldest first; the first has `firstSequence_`.
    std::deque<Capture> captures_;
    std::uint64_t firstSequence_ = 0;
    std::size_t waitingBytes_ = 0;
    // Set while a new copy is left on the clipboard for want of room.
    bool isBehind_ = false;
    PendingCompletions<bool> checks_;
};

}  // namespace pindrake::clipboard
