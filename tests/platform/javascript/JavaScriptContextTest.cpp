#include "platform/javascript/JavaScriptContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <unistd.h>

#include "support/MainQueueWaits.h"
#include "support/ThreadNames.h"

namespace pindrake::platform {
namespace {

using namespace std::chrono_literals;

using test_support::timeBlocked;

// Far past when the script should have ended, however busy the machine.
const auto longAfter = 10s * test_support::sanitizerSlowdown;

// Cancels a token from another thread once the thread that made this has run a script for a while
// (used processor time well past what entering the engine costs): the stop then ends a script in
// progress, never one that has not started yet, however slow the machine.
class StopOnceSpinning {
  public:
    explicit StopOnceSpinning(CancellationToken stop)
        : stopper_([this, spinner = std::to_string(gettid()), stop]() mutable {
              spun_ =
                  test_support::threadSpins(spinner, 100ms, test_support::threadCpuTime(spinner));
              stop.cancel();
          }) {}

    // Whether the script was seen running before the stop.
    bool stoppedASpinningScript() {
        stopper_.join();
        return spun_;
    }

  private:
    bool spun_ = false;
    std::thread stopper_;
};

// Each way into the engine is bounded, and a script that was ended leaves the context usable.
TEST(JavaScriptContext, EveryEntryEndsAtTheTimeLimit) {
    auto context = JavaScriptContext::create(200ms);
    ASSERT_TRUE(context);
    ASSERT_FALSE(context->evaluate("function spin() { for (;;) {} }").exception);
    const std::vector<std::function<std::optional<std::string>()>> entries = {
        [&] { return context->evaluate("for (;;) {}").exception; },
        [&] { return context->callGlobalFunction("spin", "x"); },
    };
    for (const auto& entry : entries) {
        std::optional<std::string> exception;
        const auto taken = timeBlocked([&] { exception = entry(); });
        EXPECT_EQ(exception, "JavaScript execution terminated.");
        EXPECT_GE(taken, 200ms);
        EXPECT_LT(taken, longAfter);
        // The limit counts from each entry, not from the context's creation.
        EXPECT_EQ(context->evaluate("var s = 0; for (let i = 0; i < 1e5; ++i) s += i; '' + s").text,
                  "4999950000");
    }
}

TEST(JavaScriptContext, StopTokenEndsARunningScriptFromAnotherThread) {
    CancellationToken stop;
    auto context = JavaScriptContext::create(std::chrono::minutes(1), stop);
    ASSERT_TRUE(context);
    StopOnceSpinning stopper(stop);
    std::optional<std::string> exception;
    const auto taken = timeBlocked([&] { exception = context->evaluate("for (;;) {}").exception; });
    EXPECT_TRUE(stopper.stoppedASpinningScript());
    EXPECT_EQ(exception, "JavaScript execution terminated.");
    EXPECT_LT(taken, longAfter);
}

// A call's own limits end it as the context's do, and do not outlast it; a call whose limit is
// reached already never starts.
TEST(JavaScriptContext, ACallsOwnStopTokenAndDeadlineEndIt) {
    auto context = JavaScriptContext::create(std::chrono::minutes(1));
    ASSERT_TRUE(context);
    ScriptLimits stoppable;
    StopOnceSpinning stopper(stoppable.stop);
    std::optional<std::string> exception;
    auto taken =
        timeBlocked([&] { exception = context->evaluate("for (;;) {}", stoppable).exception; });
    EXPECT_TRUE(stopper.stoppedASpinningScript());
    EXPECT_EQ(exception, "JavaScript execution terminated.");
    EXPECT_LT(taken, longAfter);

    const ScriptLimits due{{}, std::chrono::steady_clock::now() + 200ms};
    taken = timeBlocked([&] { exception = context->evaluate("for (;;) {}", due).exception; });
    EXPECT_EQ(exception, "JavaScript execution terminated.");
    EXPECT_GE(taken, 200ms);
    EXPECT_LT(taken, longAfter);

    EXPECT_TRUE(context->evaluate("var started = true; 'ran'", stoppable).exception);
    EXPECT_TRUE(context->evaluate("var started = true; 'ran'", due).exception);
    EXPECT_EQ(context->evaluate("typeof started").text, "undefined");
    EXPECT_EQ(context->evaluate("'ran'").text, "ran");
}

}  // namespace
}  // namespace pindrake::platform
