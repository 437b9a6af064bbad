#pragma once

#include <QtCore/qtestsupport_core.h>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <utility>

#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// Runs the Qt event loop until the condition holds or the time is up (by default a few
// seconds, more in sanitizer builds).
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(scaledMs(5000))) {
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

// QTest::qWaitFor with its time-out (5 s by default, as QTest's own) scaled in sanitizer builds.
template <typename Condition>
[[nodiscard]] bool qWaitFor(Condition condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(std::move(condition), scaledMs(timeoutMs));
}

}  // namespace pindrake::test_support
