#pragma once

#include <chrono>
#include <compare>

namespace pindrake::clipboard {

// A moment as fractional seconds since 2001-01-01 00:00:00 UTC, the form history files store.
// Kept as that number so that a saved and reloaded history compares equal.
struct Date {
    static constexpr double referenceDateInUnixSeconds = 978307200.0;

    double secondsSinceReferenceDate = 0;

    static Date now() { return fromSystemTime(std::chrono::system_clock::now()); }
    static Date fromSystemTime(std::chrono::system_clock::time_point time) {
        const std::chrono::duration<double> sinceEpoch = time.time_since_epoch();
        return {sinceEpoch.count() - referenceDateInUnixSeconds};
    }
    static Date fromUnixSeconds(double unixSeconds) {
        return {unixSeconds - referenceDateInUnixSeconds};
    }
    double unixSeconds() const { return secondsSinceReferenceDate + referenceDateInUnixSeconds; }

    auto operator<=>(const Date&) const = default;
};

}  // namespace pindrake::clipboard
