#pragma once

#include <chrono>

#include "foundation/BackgroundTask.h"

namespace pindrake::platform {

// What ends one script early besides its engine's own time limit: whoever asked for it no longer
// wanting the answer, or the time its answer was due by.
struct ScriptLimits {
    CancellationToken stop;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();

    bool reached() const {
        return stop.isCancelled() || std::chrono::steady_clock::now() >= deadline;
    }
};

}  // namespace pindrake::platform
