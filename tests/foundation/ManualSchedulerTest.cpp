#include "foundation/ManualScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace pindrake {
namespace {

using std::chrono::milliseconds;

TEST(ManualScheduler, PostedWorkRunsInOrderOnlyWhenAsked) {
    ManualScheduler scheduler;
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        scheduler.post([&order, i] { order.push_back(i); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(scheduler.runUntilIdle(), 3u);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(ManualScheduler, WorkPostedDuringATurnRunsInALaterTurn) {
    ManualScheduler scheduler;
    std::vector<std::string> order;
    scheduler.post([&] {
        order.push_back("a");
        scheduler.post([&] { order.push_back("nested"); });
    });
    scheduler.post([&] { order.push_back("b"); });
    scheduler.runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "nested"}));
}

TEST(ManualScheduler, DelayedWorkRunsAtItsDeadlineInDeadlineOrder) {
    ManualScheduler scheduler;
    std::vector<std::pair<std::string, Duration>> log;
    const auto start = scheduler.now();
    auto record = [&](std::string name) {
        return [&, name] { log.emplace_back(name, scheduler.now() - start); };
    };
    scheduler.postAfter(milliseconds(300), record("late"));
    scheduler.postAfter(milliseconds(100), record("early"));
    scheduler.postAfter(milliseconds(100), record("early-second"));
    scheduler.advance(milliseconds(99));
    EXPECT_TRUE(log.empty());
    scheduler.advance(milliseconds(301));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], std::make_pair(std::string("early"), Duration(milliseconds(100))));
    EXPECT_EQ(log[1], std::make_pair(std::string("early-second"), Duration(milliseconds(100))));
    EXPECT_EQ(log[2], std::make_pair(std::string("late"), Duration(milliseconds(300))));
    EXPECT_EQ(scheduler.now() - start, Duration(milliseconds(400)));
}

// Many tasks share each deadline: a sort by deadline alone would scramble their posting order.
TEST(ManualScheduler, TasksOfEqualDeadlineRunInPostingOrder) {
    ManualScheduler scheduler;
    std::vector<int> ran;
    std::vector<int> expected;
    for (int i = 0; i < 300; ++i)
        scheduler.postAfter(milliseconds(10 * (2 - i % 3)), [&ran, i] { ran.push_back(i); });
    for (int deadline : {2, 1, 0}) {
        for (int i = 0; i < 300; ++i) {
            if (i % 3 == deadline)
                expected.push_back(i);
        }
    }
    scheduler.advance(milliseconds(20));
    EXPECT_EQ(ran, expected);
}

TEST(ManualScheduler, CancelledWorkNeverRunsEvenWhenCancelledByAnEarlierTaskOfTheSameTurn) {
    ManualScheduler scheduler;
    int ran = 0;
    TimerHandle second;
    scheduler.postAfter(milliseconds(10), [&] { second.cancel(); });
    second = scheduler.postAfter(milliseconds(10), [&] { ++ran; });
    auto third = scheduler.postAfter(milliseconds(5), [&] { ++ran; });
    third.cancel();
    scheduler.advance(milliseconds(50));
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST(ManualScheduler, RepeatingTimerFiresEveryIntervalUntilCancelled) {
    ManualScheduler scheduler;
    std::vector<Duration> fired;
    const auto start = scheduler.now();
    auto timer =
        scheduler.repeatEvery(milliseconds(500), [&] { fired.push_back(scheduler.now() - start); });
    scheduler.advance(milliseconds(1600));
    EXPECT_EQ(fired,
              (std::vector<Duration>{milliseconds(500), milliseconds(1000), milliseconds(1500)}));
    timer.cancel();
    scheduler.advance(milliseconds(2000));
    EXPECT_EQ(fired.size(), 3u);
}

TEST(ManualScheduler, TimerCanCancelItselfFromItsOwnTask) {
    ManualScheduler scheduler;
    int fired = 0;
    TimerHandle timer;
    timer = scheduler.repeatEvery(milliseconds(10), [&] {
        if (++fired == 2)
            timer.cancel();
    });
    scheduler.advance(milliseconds(100));
    EXPECT_EQ(fired, 2);
}

TEST(ManualScheduler, DelayedWorkPostedByATaskKeepsVirtualTimeConsistent) {
    ManualScheduler scheduler;
    Duration ranAt{};
    const auto start = scheduler.now();
    scheduler.postAfter(milliseconds(100), [&] {
        scheduler.postAfter(milliseconds(200), [&] { ranAt = scheduler.now() - start; });
    });
    scheduler.advance(milliseconds(1000));
    EXPECT_EQ(ranAt, Duration(milliseconds(300)));
}

TEST(ManualScheduler, WaitForPostWakesOnWorkFromAnotherThread) {
    ManualScheduler scheduler;
    bool ran = false;
    std::thread worker([&] { scheduler.post([&] { ran = true; }); });
    EXPECT_TRUE(scheduler.waitForPost(milliseconds(5000)));
    worker.join();
    scheduler.runUntilIdle();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(scheduler.waitForPost(milliseconds(1)));
}

}  // namespace
}  // namespace pindrake
