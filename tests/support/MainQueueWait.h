#pragma once

#include <chrono>
#include <functional>

#include "foundation/ManualScheduler.h"

namespace pindrake::test_support {

// Runs the main queue until `done` holds, waiting for posts from worker threads in between.
// False when nothing more arrived within the time-out.
inline bool runMainQueueUntil(ManualScheduler& main, const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    for (;;) {
        main.runUntilIdle();
        if (done())
            return true;
        if (!main.waitForPost(timeout))
            return false;
    }
}

}  // namespace pindrake::test_support
