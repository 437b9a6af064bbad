#pragma once

#include <chrono>

#include <xcb/xcb.h>

#include "platform/linux/XcbReply.h"

namespace pindrake::platform {

using XcbEvent = XcbReply<xcb_generic_event_t>;

// The events of one connection, waited for with a deadline on a worker thread. A byte written to
// the stop descriptor ends every wait at once, for good.
class XcbEventSource {
  public:
    using Clock = std::chrono::steady_clock;

    XcbEventSource(xcb_connection_t* connection, int stopDescriptor)
        : connection_(connection), stopDescriptor_(stopDescriptor) {}

    // The next event; null when the deadline passed first, when stopped or when the
    // connection broke.
    XcbEvent next(Clock::time_point deadline);
    // The event type without the bit that marks events sent by another client.
    static std::uint8_t typeOf(const xcb_generic_event_t& event) {
        return event.response_type & 0x7F;
    }
    bool stopped() const { return stopped_; }

  private:
    xcb_connection_t* connection_;
    int stopDescriptor_;
    bool stopped_ = false;
};

}  // namespace pindrake::platform
