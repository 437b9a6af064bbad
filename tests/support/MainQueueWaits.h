#pragma once

#include <chrono>
#include <functional>

#include "foundation/ManualScheduler.h"
#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// Runs the main queue until `done` holds, waiting for posts from worker threads in between.
// False when nothing more arrived within the time-out.
inline bool runUntil(ManualScheduler& main, const std::function<bool()>& done,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    for (;;) {
        main.runUntilIdle();
        if (done())
            return true;
        if (!main.waitForPost(timeout))
            return false;
    }
}

// The most a call that never waits may hold up its thread in tests: far below any wait on a
// script or a transfer (seconds), scaled in sanitizer builds. Tests print what they measure.
inline constexpr double neverWaitsMs = 50.0 * sanitizerSlowdown;

// How long `action` holds up the calling thread.
inline std::chrono::duration<double, std::milli> timeBlocked(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::steady_clock::now() - start;
}

}  // namespace pindrake::test_support
