#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// How long a test waits for work on another thread that must finish: far beyond what it takes
// on a loaded machine, and as much longer again as a sanitizer slows it down.
inline const std::chrono::milliseconds mustFinishWithin(scaledMs(30'000));

// Whether `holds` came true within `limit`, asked every few milliseconds, for states another
// thread or process brings about.
[[nodiscard]] inline bool eventually(const std::function<bool()>& holds,
                                     std::chrono::duration<double> limit = mustFinishWithin) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace pindrake::test_support
