#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "clipboard/ClipboardContent.h"
#include "foundation/Scheduler.h"
#include "platform/ImageCodec.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

namespace pindrake::clipboard {

// Watches the clipboard and turns every new content into a `ClipboardContent`. Main thread
// only; always owned by a shared pointer, so that its timer and queued checks can tell when it
// is gone.
class ClipboardMonitor : public std::enable_shared_from_this<ClipboardMonitor> {
  public:
    // Gets each new content together with everything the clipboard offered in that same read,
    // which is what a later paste puts back.
    using Handler = std::function<void(const ClipboardContent& content,
                                       const platform::PasteboardContents& offered)>;

    struct Services {
        Scheduler& main;
        platform::Pasteboard& pasteboard;
        const platform::Workspace& workspace;
        const platform::ImageCodec& imageCodec;
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
    // One poll.
    void checkPasteboard();
    // The content of one read of the clipboard, by preference a file, an image, then HTML and
    // text; `sourceBundleID` is left absent.
    std::optional<ClipboardContent> readContent(const platform::PasteboardContents& offered) const;

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
    ClipboardMonitor(Services services, Handler onNewContent);

    std::optional<ClipboardContent> readFile(const platform::PasteboardContents& offered) const;
    std::optional<platform::Image> loadImageFile(const std::string& path) const;

    Services services_;
    Handler onNewContent_;
    std::optional<TimerHandle> timer_;
    std::int64_t lastChangeCount_;
    bool isPaused_ = false;
};

}  // namespace pindrake::clipboard
