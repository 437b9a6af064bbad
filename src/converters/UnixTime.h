#pragma once

#include <optional>
#include <string>
#include <string_view>

// Unix time and date texts in Japan time. The formatting is pinned to the POSIX locale and the
// Gregorian calendar, whatever the user's settings, so years and digits always come out and are
// read as "2023" and not as an era year or in other digits.
namespace pindrake::converters::unixtime {

// A number of seconds (or of milliseconds when the text is exactly 13 characters long) as
// "yyyy-MM-dd HH:mm:ss JST". Nothing for a text that is not wholly a finite number, or an
// instant too far out to format.
std::optional<std::string> dateText(std::string_view number);
// The whole seconds since 1970 of a date text in one of the accepted patterns (" JST" removed
// first), tried in order; the whole text must be read. Nothing when no pattern reads it.
std::optional<long long> secondsFromDateText(std::string_view text);

}  // namespace pindrake::converters::unixtime
