#include "foundation/BootClock.h"

#include <time.h>

namespace pindrake {

TimePoint bootClockNow() {
    timespec now{};
    // Cannot fail with a valid clock id and address.
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return TimePoint(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

}  // namespace pindrake
