#pragma once

// How many times slower the instrumented builds run our code. A bound on wall time that cannot
// be put as a ratio of two measures of the same run (a time limit the code itself keeps, a wait
// for another thread) scales by it, as the suites' time limits do.
namespace pindrake::test_support {

#ifndef PINDRAKE_SANITIZER_SLOWDOWN
#error "PINDRAKE_SANITIZER_SLOWDOWN comes from the build (cmake/PindrakeTargets.cmake)"
#endif
inline constexpr double sanitizerSlowdown = PINDRAKE_SANITIZER_SLOWDOWN;

// A time-out of `ms` milliseconds without a sanitizer, for Qt's waits, which take an int.
constexpr int scaledMs(int ms) {
    return static_cast<int>(ms * sanitizerSlowdown);
}

}  // namespace pindrake::test_support
