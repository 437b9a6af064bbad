#include "foundation/BackgroundTask.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "foundation/ManualScheduler.h"
#include "support/MainQueueWaits.h"
#include "support/ThreadNames.h"

namespace pindrake {
namespace {

using std::chrono::milliseconds;

TEST(BackgroundTask, ResultIsDeliveredOnTheMainQueueNotTheWorker) {
    WorkQueue queue("test.serial", 1);
    ManualScheduler main;
    std::thread::id workedOn;
    std::thread::id deliveredOn;
    int result = 0;
    runInBackground<int>(
        queue, main,
        [&](const CancellationToken&) {
            workedOn = std::this_thread::get_id();
            return 42;
        },
        [&](int value) {
            deliveredOn = std::this_thread::get_id();
            result = value;
        });
    ASSERT_TRUE(main.waitForPost(milliseconds(5000)));
    EXPECT_EQ(result, 0) << "nothing is delivered before the main queue runs";
    main.runUntilIdle();
    EXPECT_EQ(result, 42);
    EXPECT_NE(workedOn, std::this_thread::get_id());
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
}

TEST(BackgroundTask, CancelledBeforeDeliveryIsNeverDelivered) {
    WorkQueue queue("test.serial", 1);
    ManualScheduler main;
    bool delivered = false;
    auto token = runInBackground<int>(
        queue, main, [](const CancellationToken&) { return 1; }, [&](int) { delivered = true; });
    ASSERT_TRUE(main.waitForPost(milliseconds(5000)));
    token.cancel();
    main.runUntilIdle();
    EXPECT_FALSE(delivered);
}

TEST(BackgroundTask, WorkSeesCancellationAndCanStopEarly) {
    WorkQueue queue("test.serial", 1);
    ManualScheduler main;
    std::promise<void> started;
    std::atomic<bool> sawCancel{false};
    auto token = runInBackground<int>(
        queue, main,
        [&](const CancellationToken& t) {
            started.set_value();
            while (!t.isCancelled())
                std::this_thread::yield();
            sawCancel = true;
            return 0;
        },
        [](int) {});
    started.get_future().wait();
    token.cancel();
    ASSERT_TRUE(main.waitForPost(milliseconds(5000)));
    EXPECT_TRUE(sawCancel);
}

TEST(BackgroundTask, SerialQueueRunsJobsOneAtATimeInOrder) {
    WorkQueue queue("test.serial", 1);
    std::vector<int> order;
    std::promise<void> done;
    for (int i = 0; i < 50; ++i)
        queue.async([&order, i] { order.push_back(i); });
    queue.async([&] { done.set_value(); });
    done.get_future().wait();
    std::vector<int> expected(50);
    for (int i = 0; i < 50; ++i)
        expected[i] = i;
    EXPECT_EQ(order, expected);
}

// The destroying thread never waits for a busy worker; what comes last runs on the worker after
// the job in progress, and the jobs not started never run.
TEST(BackgroundTask, FinishingNeverWaitsAndRunsTheLastJobAfterTheOneInProgress) {
    auto queue = std::make_unique<WorkQueue>("org.example.long-queue-name", 1);
    const auto worker = test_support::threadsNamed("long-queue-name");
    EXPECT_EQ(worker.size(), 1u);
    std::promise<void> started;
    std::atomic<bool> release{false};
    std::vector<std::string> ran;  // written by the worker only, read after `done`
    std::promise<std::thread::id> done;
    queue->async([&] {
        started.set_value();
        while (!release)
            std::this_thread::yield();
        ran.push_back("busy");
    });
    queue->async([&] { ran.push_back("queued"); });
    started.get_future().wait();
    const auto blocked = test_support::timeBlocked([&] {
        queue->finish([&] {
            ran.push_back("last");
            done.set_value(std::this_thread::get_id());
        });
        queue.reset();
    });
    EXPECT_LT(blocked.count(), test_support::neverWaitsMs) << "ms";
    release = true;
    EXPECT_NE(done.get_future().get(), std::this_thread::get_id());
    EXPECT_EQ(ran, (std::vector<std::string>{"busy", "last"}));
    EXPECT_TRUE(test_support::threadsEnd(worker));
}

}  // namespace
}  // namespace pindrake
