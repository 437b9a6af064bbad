#pragma once

// How many times slower the instrumented builds run our code. A bound on wall time that cannot
// be put as a ratio of two measures of the same run (a time limit the code itself keeps, a wait
// for another thread) scales by it.
namespace pindrake::test_support {

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PINDRAKE_TEST_TSAN 1
#endif
#if __has_feature(address_sanitizer)
#define PINDRAKE_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define PINDRAKE_TEST_TSAN 1
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PINDRAKE_TEST_ASAN 1
#endif

#if defined(PINDRAKE_TEST_TSAN)
inline constexpr double sanitizerSlowdown = 10.0;
#elif defined(PINDRAKE_TEST_ASAN)
inline constexpr double sanitizerSlowdown = 4.0;
#else
inline constexpr double sanitizerSlowdown = 1.0;
#endif

}  // namespace pindrake::test_support
