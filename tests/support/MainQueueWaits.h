#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "foundation/ManualScheduler.h"
#include "support/Eventually.h"
#include "support/SanitizerSlowdown.h"

namespace pindrake::test_support {

// The time limit to give the product's own scripts and conversions in a test that checks what
// they give back: past what the test waits for it, so that time never turns the result into the
// product's answer for a limit reached (a failure, a fallback, the input given back). Only a
// limit's own test sets a short one, on a script that never ends.
inline const std::chrono::milliseconds limitOutOfReach = 2 * mustFinishWithin;

// Runs the main queue until `done` holds, waiting for posts from worker threads in between.
// False when nothing more arrived within the time-out.
inline bool runUntil(ManualScheduler& main, const std::function<bool()>& done,
                     std::chrono::milliseconds timeout = mustFinishWithin) {
    for (;;) {
        main.runUntilIdle();
        if (done())
            return true;
        if (!main.waitForPost(timeout))
            return false;
    }
}

// What a call hands back through the main queue, in the order it came. The completion owns
// where it puts what it gets, so one that comes after the test gave up waiting, in a later turn
// of the same queue or from a teardown, touches nothing that has gone.
template <typename Outcome>
class Delivered {
  public:
    // For the call; a copy of it delivers here too.
    std::function<void(Outcome)> completion() const {
        return [all = all_](Outcome outcome) { all->push_back(std::move(outcome)); };
    }
    const std::vector<Outcome>& all() const { return *all_; }

    // Runs the main queue until something came and gives the first. Nothing, and a failure of
    // the test, when nothing came in time.
    std::optional<Outcome> first(ManualScheduler& main) const {
        if (!runUntil(main, [this] { return !all_->empty(); })) {
            ADD_FAILURE() << "no answer within " << mustFinishWithin.count() << " ms";
            return std::nullopt;
        }
        return all_->front();
    }

  private:
    std::shared_ptr<std::vector<Outcome>> all_ = std::make_shared<std::vector<Outcome>>();
};

// The most a call that never waits may hold up its thread in tests: far below any wait on a
// script or a transfer (seconds), scaled in sanitizer builds. Tests print what they measure.
inline constexpr double neverWaitsMs = 50.0 * sanitizerSlowdown;

// How long `action` holds up the calling thread.
inline std::chrono::duration<double, std::milli> timeBlocked(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::steady_clock::now() - start;
}

}  // namespace pindrake::test_support
