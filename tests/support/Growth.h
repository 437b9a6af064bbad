#pragma once

#include <time.h>

#include <algorithm>
#include <functional>
#include <limits>

// Whether work grows in proportion to its input, told from two measures of the same run, so that
// neither the machine's speed nor a sanitizer's slowdown moves the verdict.
namespace pindrake::test_support {

// The processor time the calling thread has used: time spent waiting for a core on a busy
// machine does not count, so the small input running inside one slice and the large one sharing
// the core with others compare fairly.
inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// How many times more processor time `onLarge` takes than `onSmall`, each the best of `rounds`
// runs taken in turns. On inputs `k` times apart, linear work grows about `k` times and
// quadratic work about `k * k` times.
inline double growth(const std::function<void()>& onSmall, const std::function<void()>& onLarge,
                     int rounds = 4) {
    const auto cost = [](const std::function<void()>& work) {
        const double start = threadCpuSeconds();
        work();
        return threadCpuSeconds() - start;
    };
    double small = std::numeric_limits<double>::max();
    double large = std::numeric_limits<double>::max();
    for (int round = 0; round < rounds; ++round) {
        small = std::min(small, cost(onSmall));
        large = std::min(large, cost(onLarge));
    }
    return large / std::max(small, 1e-9);
}

}  // namespace pindrake::test_support
