#pragma once

#include <chrono>

// Wall time of a stretch of code, for benchmarks that time part of an iteration by hand.
namespace pindrake::test_support {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace pindrake::test_support
