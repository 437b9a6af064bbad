#pragma once

#include <cstddef>

namespace pindrake::conversion_helper {

// Holds this process below `capBytes` of resident memory: after every few milliseconds of the
// process's processor time, on the thread that used them, the resident set is read and the
// process ends before it would pass the cap, first telling the app so over `socket`. Counted in
// processor time, the looks keep pace with the growth however busy the machine is, and no thread
// of the app's has to be scheduled in time. False when the looks cannot be set up.
bool holdMemoryCap(std::size_t capBytes, int socket);

// Whether a process growing as its looks have seen would pass its cap before the next look. Plain
// arithmetic: it runs in a signal handler.
class CapProjection {
  public:
    // On a loaded machine, with several threads running, up to about 15 ms of the process's
    // processor time have been seen to pass between two looks.
    static constexpr double lookaheadMicroseconds = 16'000;
    // The pace is measured over at least this much processor time: over less, a pause of a
    // fraction of a millisecond reads as no growth at all.
    static constexpr double windowMicroseconds = 4'000;

    CapProjection(std::size_t capBytes, std::size_t resident, double processorMicroseconds);
    // True once the process holds more than the cap, or would before the next look at twice its
    // pace (growth speeds up as buffers double), with a little room besides. A window without
    // growth (a collection, say) halves the pace rather than forgetting it.
    bool wouldPass(std::size_t resident, double processorMicroseconds);

  private:
    double capBytes_;
    double windowResident_;
    double windowStart_;
    // Bytes per microsecond of processor time.
    double pace_ = 0;
};

}  // namespace pindrake::conversion_helper
