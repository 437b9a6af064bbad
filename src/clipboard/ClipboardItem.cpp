#include "clipboard/ClipboardItem.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>
#include <string_view>

#include "foundation/Unicode.h"
#include "platform/Pasteboard.h"

namespace pindrake::clipboard {

namespace {

constexpr std::size_t titleLength = 100;
constexpr std::string_view imageLabel = "画像 – ";

// The text after the last "/", trailing slashes ignored; a path of slashes only is "/".
std::string lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return std::string(path);
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Local time in the user's locale and calendar. A formatter is costly to build and not safe to
// share between threads, so each thread keeps one.
std::string formatLocalTime(const Date& date) {
    thread_local std::unique_ptr<icu::SimpleDateFormat> formatter = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::SimpleDateFormat>(
            icu::UnicodeString(u"yyyy-MM-dd HH:mm:ss"), icu::Locale::getDefault(), status);
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!formatter)
        return {};
    // The default zone may have been set since this thread made its formatter.
    formatter->adoptTimeZone(icu::TimeZone::createDefault());
    icu::UnicodeString formatted;
    formatter->format(date.unixSeconds() * 1000.0, formatted);
    std::string utf8;
    formatted.toUTF8String(utf8);
    return utf8;
}

}  // namespace

std::string ClipboardItem::displayText() const {
    if (plainText && pasteboardTypes.contains(std::string(platform::pasteboard_type::fileUrl))) {
        return lastPathComponent(*plainText);
    }
    if (plainText && !plainText->empty())
        return unicode::graphemePrefix(*plainText, titleLength);
    if (imageFilename)
        return std::string(imageLabel) + formatLocalTime(createdAt);
    return {};
}

}  // namespace pindrake::clipboard
