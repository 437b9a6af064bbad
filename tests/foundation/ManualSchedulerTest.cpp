#include "foundation/ManualScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace pindrake {
namespace {

using std::chrono::milliseconds;

// Work posted from another thread wakes a waiting main loop.
TEST(ManualScheduler, PostedWorkRunsInOrderOnlyWhenAskedAndWhatItPostsInALaterTurn) {
    ManualScheduler scheduler;
    std::vector<std::string> order;
    std::thread worker([&] {
        scheduler.post([&] {
            order.push_back("a");
            scheduler.post([&] { order.push_back("nested"); });
        });
        scheduler.post([&] { order.push_back("b"); });
    });
    EXPECT_TRUE(scheduler.waitForPost(milliseconds(5000)));
    worker.join();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(scheduler.runUntilIdle(), 3u);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "nested"}));
    EXPECT_FALSE(scheduler.waitForPost(milliseconds(1)));
}

// Many tasks share each deadline: a sort by deadline alone would scramble their posting order.
TEST(ManualScheduler, DelayedWorkRunsAtItsDeadlineInDeadlineThenPostingOrder) {
    ManualScheduler scheduler;
    const auto start = scheduler.now();
    std::vector<std::pair<int, Duration>> ran;
    for (int i = 0; i < 300; ++i) {
        scheduler.postAfter(milliseconds(100 * (3 - i % 3)),
                            [&, i] { ran.emplace_back(i, scheduler.now() - start); });
    }
    Duration nestedRanAt{};
    scheduler.postAfter(milliseconds(100), [&] {
        scheduler.postAfter(milliseconds(200), [&] { nestedRanAt = scheduler.now() - start; });
    });
    std::vector<std::pair<int, Duration>> expected;
    for (int deadline : {1, 2, 3}) {
        for (int i = 0; i < 300; ++i) {
            if (3 - i % 3 == deadline)
                expected.emplace_back(i, milliseconds(100 * deadline));
        }
    }
    scheduler.advance(milliseconds(99));
    EXPECT_TRUE(ran.empty());
    scheduler.advance(milliseconds(301));
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(nestedRanAt, Duration(milliseconds(300)));
    EXPECT_EQ(scheduler.now() - start, Duration(milliseconds(400)));
}

// A repeating timer may cancel itself from its own task; an earlier task of a turn may cancel a
// later one.
TEST(ManualScheduler, CancelledWorkNeverRunsAgainWhoeverCancelsIt) {
    ManualScheduler scheduler;
    const auto start = scheduler.now();
    std::vector<Duration> fired;
    TimerHandle repeating;
    repeating = scheduler.repeatEvery(milliseconds(500), [&] {
        fired.push_back(scheduler.now() - start);
        if (fired.size() == 3)
            repeating.cancel();
    });
    int ran = 0;
    TimerHandle second;
    scheduler.postAfter(milliseconds(10), [&] { second.cancel(); });
    second = scheduler.postAfter(milliseconds(10), [&] { ++ran; });
    auto third = scheduler.postAfter(milliseconds(5), [&] { ++ran; });
    third.cancel();
    scheduler.advance(milliseconds(5000));
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(fired,
              (std::vector<Duration>{milliseconds(500), milliseconds(1000), milliseconds(1500)}));
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

}  // namespace
}  // namespace pindrake
