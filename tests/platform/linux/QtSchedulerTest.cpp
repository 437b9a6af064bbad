#include "platform/linux/QtScheduler.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/QtEventLoop.h"
#include "support/SanitizerSlowdown.h"

namespace pindrake {
namespace {

using std::chrono::milliseconds;

TEST(QtScheduler, PostsFromAWorkerRunOnTheMainThreadInOrderAndTimersUntilCancelled) {
    QtScheduler scheduler(QCoreApplication::instance());
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            scheduler.post([&, i] {
                order.push_back(i);
                ranOn = std::this_thread::get_id();
            });
        }
    });
    worker.join();
    bool cancelledRan = false;
    bool delayedRan = false;
    auto cancelled = scheduler.postAfter(milliseconds(20), [&] { cancelledRan = true; });
    cancelled.cancel();
    scheduler.postAfter(milliseconds(30), [&] { delayedRan = true; });
    // The third tick cancels the timer and sets off a later one: the repeating timer falls due
    // again long before it, so a tick that outlived the cancel would come first.
    int ticks = 0;
    std::optional<int> ticksWhenTheLaterOneRan;
    TimerHandle repeating;
    repeating = scheduler.repeatEvery(milliseconds(5), [&] {
        if (++ticks != 3)
            return;
        repeating.cancel();
        scheduler.postAfter(milliseconds(20), [&] { ticksWhenTheLaterOneRan = ticks; });
    });
    ASSERT_TRUE(test_support::waitUntil([&] { return delayedRan && ticksWhenTheLaterOneRan; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(cancelledRan);
    EXPECT_EQ(ticksWhenTheLaterOneRan, 3);
}

// A deadline of seconds is a promise of its length: the timer behind it never runs early, as a
// coarse timer may by a twentieth of its interval. Timers of several lengths, so that some fall
// between the boundaries a coarse timer rounds to.
TEST(QtScheduler, TimersOfSecondsNeverRunEarly) {
    QtScheduler scheduler(QCoreApplication::instance());
    const auto start = std::chrono::steady_clock::now();
    std::vector<milliseconds> delays;
    std::vector<std::optional<std::chrono::microseconds>> ranAfter;
    for (int i = 0; i < 8; ++i)
        delays.push_back(milliseconds(2000 + 37 * i));
    ranAfter.resize(delays.size());
    for (std::size_t i = 0; i < delays.size(); ++i) {
        scheduler.postAfter(delays[i], [&, i] {
            ranAfter[i] = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
        });
    }
    ASSERT_TRUE(test_support::waitUntil(
        [&] {
            return std::ranges::all_of(ranAfter, [](const auto& ran) { return ran.has_value(); });
        },
        milliseconds(static_cast<long>(30000 * test_support::sanitizerSlowdown))))
        << "a timer of seconds never ran";
    for (std::size_t i = 0; i < delays.size(); ++i)
        EXPECT_GE(*ranAfter[i], delays[i]) << "timer " << i;
}

// A time namespace sets the boot clock a day ahead of the monotonic one, as a day asleep would.
// The test runs itself again inside one.
TEST(QtScheduler, NowCountsTheTimeTheMachineSlept) {
    constexpr const char* inside = "PINDRAKE_IN_TIME_NAMESPACE";
    if (std::getenv(inside)) {
        QtScheduler scheduler(QCoreApplication::instance());
        const auto ahead = scheduler.now().time_since_epoch() -
                           std::chrono::steady_clock::now().time_since_epoch();
        EXPECT_GT(ahead, std::chrono::hours(23));
        return;
    }
    // Time namespaces need a kernel of 5.6 or later and the right to make namespaces.
    if (std::system("unshare --time --boottime 86400 true 2>/dev/null") != 0)
        GTEST_SKIP() << "this machine cannot make a time namespace";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = std::string(inside) + "=1 unshare --time --boottime 86400 '" +
                                self +
                                "' --gtest_filter=QtScheduler.NowCountsTheTimeTheMachineSlept";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// Tasks posted while the loop runs carry what the worker wrote to the main thread: a hand-over
// ThreadSanitizer must see (it reports a race otherwise), in the order posted.
TEST(QtScheduler, PostsFromARunningWorkerHandOverWhatItWrote) {
    QtScheduler scheduler(QCoreApplication::instance());
    constexpr int posts = 200;
    std::vector<std::string> received;
    std::thread worker([&] {
        for (int i = 0; i < posts; ++i) {
            auto text = std::make_shared<std::string>("post " + std::to_string(i));
            scheduler.post([&received, text] { received.push_back(*text); });
        }
    });
    const bool allArrived = test_support::waitUntil(
        [&] { return received.size() == posts; },
        milliseconds(static_cast<long>(5000 * test_support::sanitizerSlowdown)));
    worker.join();
    ASSERT_TRUE(allArrived) << received.size();
    for (int i = 0; i < posts; ++i)
        EXPECT_EQ(received[i], "post " + std::to_string(i));
}

}  // namespace
}  // namespace pindrake
