#include "converters/UnixTime.h"

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <array>
#include <charconv>
#include <cmath>
#include <memory>

#include "foundation/Unicode.h"

namespace pindrake::converters::unixtime {
namespace {

constexpr char16_t japanZone[] = u"Asia/Tokyo";
constexpr std::string_view zoneSuffix = " JST";
// About 5.7 million years either way: room for every 14-digit number of seconds, inside the
// range the calendar computes.
constexpr double largestMilliseconds = 1.8e17;

std::unique_ptr<icu::SimpleDateFormat> japanFormatter(const char16_t* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale posix("en_US_POSIX");
    auto calendar = std::make_unique<icu::GregorianCalendar>(
        icu::TimeZone::createTimeZone(japanZone), posix, status);
    auto formatter =
        std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(pattern), posix, status);
    if (U_FAILURE(status))
        return nullptr;
    formatter->adoptCalendar(calendar.release());
    formatter->setLenient(false);
    return formatter;
}

std::optional<double> parsedNumber(std::string_view text) {
    // The standard grammar allows a leading plus sign, which from_chars does not take.
    if (text.starts_with('+') && !text.substr(1).starts_with('-'))
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string withoutZoneSuffix(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0;;) {
        const std::size_t next = text.find(zoneSuffix, at);
        out.append(text.substr(at, next - at));
        if (next == std::string_view::npos)
            return out;
        at = next + zoneSuffix.size();
    }
}

}  // namespace

std::optional<std::string> dateText(std::string_view number) {
    const std::string trimmed = unicode::trimmed(number);
    auto value = parsedNumber(trimmed);
    if (!value)
        return std::nullopt;
    const double milliseconds = trimmed.size() == 13 ? *value : *value * 1000;
    if (std::fabs(milliseconds) > largestMilliseconds)
        return std::nullopt;
    auto formatter = japanFormatter(u"yyyy-MM-dd HH:mm:ss");
    if (!formatter)
        return std::nullopt;
    icu::UnicodeString formatted;
    formatter->format(static_cast<UDate>(milliseconds), formatted);
    std::string out;
    formatted.toUTF8String(out);
    return out + std::string(zoneSuffix);
}

std::optional<long long> secondsFromDateText(std::string_view text) {
    static constexpr std::array<const char16_t*, 5> patterns = {
        u"yyyy-MM-dd HH:mm:ss",    u"yyyy/MM/dd HH:mm:ss", u"yyyy-MM-dd'T'HH:mm:ss",
        u"yyyy-MM-dd'T'HH:mm:ssZ", u"yyyy-MM-dd",
    };
    const icu::UnicodeString source =
        icu::UnicodeString::fromUTF8(withoutZoneSuffix(unicode::trimmed(text)));
    for (const char16_t* pattern : patterns) {
        auto formatter = japanFormatter(pattern);
        if (!formatter)
            return std::nullopt;
        icu::ParsePosition position(0);
        const UDate instant = formatter->parse(source, position);
        if (position.getErrorIndex() >= 0 || position.getIndex() != source.length())
            continue;
        const double seconds = std::trunc(instant / 1000);
        if (std::fabs(seconds) * 1000 > largestMilliseconds)
            return std::nullopt;
        return static_cast<long long>(seconds);
    }
    return std::nullopt;
}

}  // namespace pindrake::converters::unixtime
