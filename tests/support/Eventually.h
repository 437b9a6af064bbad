#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// Whether `holds` came true within `limit` (a few seconds, more in sanitizer builds), asked
// every few milliseconds, for states another thread or process brings about.
[[nodiscard]] inline bool eventually(
    const std::function<bool()>& holds,
    std::chrono::duration<double> limit = std::chrono::duration<double>(5 * sanitizerSlowdown)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace pindrake::test_support
