#include "platform/linux/XcbEventSource.h"

#include <poll.h>

#include <algorithm>
#include <climits>

namespace pindrake::platform {

XcbEvent XcbEventSource::next(Clock::time_point deadline) {
    while (!stopped_) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            return XcbEvent(event);
        if (xcb_connection_has_error(connection_)) {
            stopped_ = true;
            break;
        }
        int timeoutMs = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero())
                break;
            // Rounded up, so a wait never ends just before its deadline and spins.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            timeoutMs = static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
        }
        xcb_flush(connection_);
        pollfd descriptors[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                                 {stopDescriptor_, POLLIN, 0}};
        if (poll(descriptors, 2, timeoutMs) > 0 && descriptors[1].revents != 0)
            stopped_ = true;
    }
    return nullptr;
}

}  // namespace pindrake::platform
