#include "clipboard/ClipboardMonitor.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "clipboard/Url.h"
#include "foundation/Ascii.h"
#include "foundation/Files.h"
#include "foundation/Unicode.h"
#include "foundation/UriList.h"

namespace pindrake::clipboard {

namespace pasteboard_type = platform::pasteboard_type;

namespace {

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
    // Taken as seen before reading: a content that cannot be read is not tried again.
    lastChangeCount_ = count;

    const auto frontmost = services_.workspace.frontmostApplication();
    // Shares the bytes read: nothing here reads or copies them, however large.
    platform::PasteboardContents offered = services_.pasteboard.read();
    const std::uint64_t sequence = firstSequence_ + captures_.size();
    captures_.push_back({offered, frontmost ? frontmost->bundleIdentifier : std::nullopt, {}});
    std::weak_ptr<ClipboardMonitor> weakSelf = weak_from_this();
    auto check =
        checks_.add(services_.main, [weakSelf, sequence](std::optional<ClipboardContent> content) {
            if (auto self = weakSelf.lock())
                self->finishCheck(sequence, std::move(content));
        });
    services_.onWorker([check, offered = std::move(offered), imageCodec = services_.imageCodec] {
        check->settle(readContent(offered, *imageCodec));
    });
}

void ClipboardMonitor::finishCheck(std::uint64_t sequence,
                                   std::optional<ClipboardContent> content) {
    captures_[sequence - firstSequence_].checked = std::move(content);
    // A copy checked early waits for those read before it.
    while (!captures_.empty() && captures_.front().checked) {
        Capture capture = std::move(captures_.front());
        captures_.pop_front();
        ++firstSequence_;
        if (auto& checked = *capture.checked) {
            checked->sourceBundleID = std::move(capture.sourceBundleID);
            onNewContent_(std::move(*checked), capture.offered);
        }
    }
}

std::optional<ClipboardContent> ClipboardMonitor::readContent(
    const platform::PasteboardContents& offered, const platform::ImageCodec& imageCodec) {
    auto content = contentOf(offered, imageCodec);
    if (content && content->plainText)
        content->textIdentity = textIdentity(*content->plainText);
    return content;
}

}  // namespace pindrake::clipboard
