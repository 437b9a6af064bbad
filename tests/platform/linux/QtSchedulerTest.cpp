#include "platform/linux/QtScheduler.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <thread>
#include <vector>

#include "support/QtEventLoop.h"

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
    int ticks = 0;
    TimerHandle repeating;
    repeating = scheduler.repeatEvery(milliseconds(5), [&] {
        if (++ticks == 3)
            repeating.cancel();
    });
    test_support::waitUntil([&] { return delayedRan; });
    test_support::waitUntil([] { return false; }, milliseconds(60));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(delayedRan);
    EXPECT_FALSE(cancelledRan);
    EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace pindrake
