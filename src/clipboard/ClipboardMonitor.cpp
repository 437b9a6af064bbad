#include "clipboard/ClipboardMonitor.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "clipboard/Url.h"
#include "foundation/Ascii.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Unicode.h"
#include "foundation/UriList.h"

namespace pindrake::clipboard {

namespace pasteboard_type = platform::pasteboard_type;

namespace {

// The copies already read that quitting takes: the one the count stands for, and one read after
// it that waits for it to be taken.
constexpr int maxCopiesTakenAtQuit = 2;

// Larger files are not loaded as the image of a copied file; the entry keeps its path.
constexpr std::uintmax_t maxImageFileBytes = 256u << 20;

bool hasImageExtension(const std::filesystem::path& path) {
    static const std::set<std::string, std::less<>> extensions = {
        "avif", "bmp", "gif", "heic", "heif", "icns", "ico", "jp2",  "jpeg", "jpg", "jxl", "pbm",
        "pgm",  "png", "ppm", "psd",  "svg",  "tga",  "tif", "tiff", "webp", "xbm", "xpm",
    };
    std::string extension = path.extension().string();
    if (extension.empty())
        return false;
    extension.erase(0, 1);
    return extensions.contains(ascii::lowered(extension));
}

std::optional<platform::Image> loadImageFile(const std::string& path,
                                             const platform::ImageCodec& imageCodec) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > maxImageFileBytes)
        return std::nullopt;
    const auto bytes = files::read(path);
    if (!bytes)
        return std::nullopt;
    return imageCodec.inspect(*bytes);
}

std::optional<ClipboardContent> readFile(const platform::PasteboardContents& offered,
                                         const platform::ImageCodec& imageCodec) {
    const std::string* urls = offered.data(pasteboard_type::fileUrl);
    if (!urls)
        return std::nullopt;
    auto path = filePathFromUrl(uri_list::firstUri(*urls));
    if (!path)
        return std::nullopt;

    ClipboardContent content;
    for (const auto& entry : offered.entries())
        content.pasteboardTypes.insert(entry.type);
    if (hasImageExtension(*path))
        content.image = loadImageFile(*path, imageCodec);
    content.plainText = std::move(path);
    return content;
}

std::optional<ClipboardContent> contentOf(const platform::PasteboardContents& offered,
                                          const platform::ImageCodec& imageCodec) {
    if (auto file = readFile(offered, imageCodec))
        return file;

    std::set<std::string> types;
    for (const auto& entry : offered.entries())
        types.insert(entry.type);

    const std::string* imageData = offered.data(pasteboard_type::png);
    if (!imageData)
        imageData = offered.data(pasteboard_type::tiff);
    if (imageData) {
        if (auto image = imageCodec.inspect(*imageData)) {
            ClipboardContent content;
            content.image = std::move(image);
            content.pasteboardTypes = std::move(types);
            return content;
        }
    }

    ClipboardContent content;
    content.pasteboardTypes = std::move(types);
    if (const std::string* html = offered.data(pasteboard_type::html)) {
        content.html = unicode::sanitizedUtf8(*html);
    }
    if (const std::string* text = offered.data(pasteboard_type::plainText)) {
        content.plainText = unicode::sanitizedUtf8(*text);
        if (!content.plainText->empty()) {
            content.tags = ClipboardMonitor::detectTags(*content.plainText);
            if (content.tags.empty())
                content.tags = {ContentTag::plainText};
        }
        return content;
    }
    if (content.html)
        return content;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<ClipboardMonitor> ClipboardMonitor::create(Services services,
                                                           Handler onNewContent) {
    return std::shared_ptr<ClipboardMonitor>(
        new ClipboardMonitor(std::move(services), std::move(onNewContent)));
}

ClipboardMonitor::ClipboardMonitor(Services services, Handler onNewContent)
    : services_(std::move(services)),
      onNewContent_(std::move(onNewContent)),
      lastChangeCount_(services_.pasteboard.changeCount()) {}

ClipboardMonitor::~ClipboardMonitor() {
    stop();
    // A check still running hands nothing on and posts nothing.
    checks_.dropAll();
}

void ClipboardMonitor::start() {
    stop();
    std::weak_ptr<ClipboardMonitor> weakSelf = weak_from_this();
    timer_ = services_.main.repeatEvery(pollInterval, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->scheduleCheckOnMain();
    });
}

void ClipboardMonitor::stop() {
    if (timer_)
        timer_->cancel();
    timer_.reset();
}

void ClipboardMonitor::scheduleCheckOnMain() {
    std::weak_ptr<ClipboardMonitor> weakSelf = weak_from_this();
    services_.main.post([weakSelf] {
        if (auto self = weakSelf.lock())
            self->checkPasteboard();
    });
}

void ClipboardMonitor::checkPasteboard() {
    if (isPaused_)
        return;
    const std::int64_t count = services_.pasteboard.changeCount();
    if (count == lastChangeCount_)
        return;
    if (!hasRoomForACopy()) {
        if (!isBehind_) {
            log::warning("Capture is behind: " + std::to_string(captures_.size()) +
                         " copies are still being checked; the newest copy waits on the "
                         "clipboard");
        }
        isBehind_ = true;
        return;
    }
    readNewCopy(count);
}

bool ClipboardMonitor::hasRoomForACopy() const {
    const auto& limits = services_.limits;
    return captures_.empty() ||
           (captures_.size() < limits.maxWaitingCopies && waitingBytes_ < limits.maxWaitingBytes);
}

void ClipboardMonitor::readNewCopy(std::int64_t count) {
    // The clipboard keeps only its newest copy: any other made since the last read is gone.
    const bool wasBehind = std::exchange(isBehind_, false);
    if (const std::int64_t replaced = count - lastChangeCount_ - 1; replaced > 0) {
        log::warning(std::string(wasBehind ? "Capture caught up. " : "") +
                     "Copies replaced on the clipboard before they could be read were not "
                     "captured: " +
                     std::to_string(replaced));
    }
    // Taken as seen before reading: a content that cannot be read is not tried again.
    lastChangeCount_ = count;

    const auto frontmost = services_.workspace.frontmostApplication();
    // Shares the bytes read: nothing here reads or copies them, however large.
    platform::PasteboardContents offered = services_.pasteboard.read();
    std::size_t bytes = 0;
    for (const auto& entry : offered.entries())
        bytes += entry.data.size();
    auto check = std::make_shared<Check>(
        [offered, imageCodec = services_.imageCodec] { return readContent(offered, *imageCodec); });
    const std::uint64_t sequence = firstSequence_ + captures_.size();
    captures_.push_back({std::move(offered),
                         bytes,
                         frontmost ? frontmost->bundleIdentifier : std::nullopt,
                         check,
                         {}});
    waitingBytes_ += bytes;
    std::weak_ptr<ClipboardMonitor> weakSelf = weak_from_this();
    auto checked = checks_.add(services_.main, [weakSelf, sequence](bool) {
        if (auto self = weakSelf.lock())
            self->finishCheck(sequence);
    });
    services_.onWorker([check = std::move(check), checked = std::move(checked)] {
        if (check->run())
            checked->settle(true);
    });
}

void ClipboardMonitor::finishCheck(std::uint64_t sequence) {
    auto& capture = captures_[sequence - firstSequence_];
    if (auto result = capture.check->take())
        noteChecked(capture, std::move(*result));
    handOnChecked();
}

void ClipboardMonitor::handOnChecked() {
    // A copy checked early waits for those read before it.
    while (!captures_.empty() && captures_.front().checked) {
        Capture capture = std::move(captures_.front());
        captures_.pop_front();
        ++firstSequence_;
        waitingBytes_ -= capture.bytes;
        if (auto& checked = *capture.checked) {
            checked->sourceBundleID = std::move(capture.sourceBundleID);
            onNewContent_(std::move(*checked), capture.offered);
        }
    }
}

void ClipboardMonitor::finishAtQuit() {
    stop();
    if (services_.pasteboard.isReadingACopy()) {
        log::warning(
            "A copy still being read from the clipboard at quit was not captured: its owner had "
            "not given all of it yet");
    }
    // The copies are already read from the display: taking them waits on nobody. Taking a copy
    // may bring up one read after it, which waited for it to be taken.
    for (int taken = 0; taken < maxCopiesTakenAtQuit && !isPaused_ &&
                        services_.pasteboard.changeCount() != lastChangeCount_;
         ++taken) {
        readNewCopy(services_.pasteboard.changeCount());
    }
    // Deliveries already posted find nothing left to hand on.
    checks_.dropAll();
    const auto deadline = std::chrono::steady_clock::now() + services_.limits.quitWait;
    std::size_t lost = 0;
    for (auto& capture : captures_) {
        if (capture.checked)
            continue;
        if (auto result = capture.check->runOrWait(deadline)) {
            noteChecked(capture, std::move(*result));
        } else {
            capture.checked.emplace();
            ++lost;
        }
    }
    handOnChecked();
    if (lost > 0) {
        log::warning(std::to_string(lost) +
                     " copy still being checked at quit was not saved: its check outlasted the "
                     "wait at quit");
    }
}

void ClipboardMonitor::noteChecked(Capture& capture, std::optional<ClipboardContent> content) {
    // An empty clipboard is no copy; one that offered something is lost when none of it is kept.
    if (!content && !capture.offered.entries().empty()) {
        std::string types;
        for (const auto& entry : capture.offered.entries())
            types += (types.empty() ? "" : ", ") + entry.type;
        log::warning("A copy was not captured: it holds no text, HTML, image or file (it offered " +
                     types + ")");
    }
    capture.checked = std::move(content);
}

std::optional<ClipboardContent> ClipboardMonitor::readContent(
    const platform::PasteboardContents& offered, const platform::ImageCodec& imageCodec) {
    auto content = contentOf(offered, imageCodec);
    if (content && content->plainText)
        content->textIdentity = textIdentity(*content->plainText);
    return content;
}

}  // namespace pindrake::clipboard
