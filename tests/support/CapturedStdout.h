#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace pindrake::test_support {

// Captures the standard output while it lives. A failed ASSERT that leaves the test early still
// ends the capture and prints the failures reported meanwhile, so the suite's report goes on.
class CapturedStdout {
  public:
    CapturedStdout() { ::testing::internal::CaptureStdout(); }
    ~CapturedStdout() {
        if (taken_)
            return;
        const std::string printed = take();
        if (::testing::Test::HasFailure())
            std::fputs(printed.c_str(), stdout);
    }

    // What was printed so far; the capture ends.
    std::string take() {
        taken_ = true;
        return ::testing::internal::GetCapturedStdout();
    }

  private:
    bool taken_ = false;
};

}  // namespace pindrake::test_support
