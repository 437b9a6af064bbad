#pragma once

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// Runs the Qt event loop until the condition holds or the time is up (by default a few
// seconds, more in sanitizer builds).
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(
                          static_cast<std::chrono::milliseconds::rep>(5000 * sanitizerSlowdown))) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace pindrake::test_support
