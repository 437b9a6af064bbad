#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <limits>

// Whether work grows in proportion to its input, told from two measures of the same run, so that
// neither the machine's speed nor a sanitizer's slowdown moves the verdict.
namespace pindrake::test_support {

// How many times longer `onLarge` takes than `onSmall`, each the best of `rounds` runs taken in
// turns, so that the machine pausing the test in some runs does not count. On inputs `k` times
// apart, linear work grows about `k` times and quadratic work about `k * k` times.
inline double growth(const std::function<void()>& onSmall, const std::function<void()>& onLarge,
                     int rounds = 4) {
    const auto time = [](const std::function<void()>& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double small = std::numeric_limits<double>::max();
    double large = std::numeric_limits<double>::max();
    for (int round = 0; round < rounds; ++round) {
        small = std::min(small, time(onSmall));
        large = std::min(large, time(onLarge));
    }
    return large / std::max(small, 1e-9);
}

}  // namespace pindrake::test_support
