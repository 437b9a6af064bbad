#include "foundation/BackgroundTask.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "foundation/ManualScheduler.h"
#include "support/MainQueueWaits.h"
#include "support/ThreadNames.h"

namespace pindrake {
namespace {

using std::chrono::milliseconds;

// The work may poll its token to stop early; its result reaches the main queue only when the
// token is still not cancelled as the main queue runs.
TEST(BackgroundTask, ResultIsDeliveredOnTheMainQueueUnlessCancelled) {
    WorkQueue queue("test.serial", 1);
    ManualScheduler main;
    PendingCompletions<int> owner;
    std::thread::id workedOn;
    std::thread::id deliveredOn;
    std::vector<int> delivered;
    const auto deliver = [&](int result) {
        deliveredOn = std::this_thread::get_id();
        delivered.push_back(result);
    };
    runInBackground<int>(
        queue, main, owner,
        [&](const CancellationToken&) {
            workedOn = std::this_thread::get_id();
            return 42;
        },
        deliver);
    std::promise<void> started;
    std::atomic<bool> sawCancel{false};
    auto cancelled = runInBackground<int>(
        queue, main, owner,
        [&](const CancellationToken& token) {
            started.set_value();
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!token.isCancelled() && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
            sawCancel = token.isCancelled();
            return 7;
        },
        deliver);
    started.get_future().wait();
    cancelled.cancel();
    while (main.pendingCount() < 2)  // both results are posted
        std::this_thread::yield();
    EXPECT_TRUE(delivered.empty()) << "nothing is delivered before the main queue runs";
    main.runUntilIdle();
    EXPECT_EQ(delivered, std::vector<int>{42});
    EXPECT_TRUE(sawCancel);
    EXPECT_NE(workedOn, std::this_thread::get_id());
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
}

// Once the owner drops its completions, a job still in progress posts nothing when it ends,
// and a result posted before the drop is not delivered either.
TEST(BackgroundTask, DroppedCompletionsNeitherPostNorDeliver) {
    WorkQueue queue("test.serial", 1);
    ManualScheduler main;
    PendingCompletions<int> owner;
    std::vector<int> delivered;
    const auto deliver = [&](int result) { delivered.push_back(result); };
    runInBackground<int>(
        queue, main, owner, [](const CancellationToken&) { return 1; }, deliver);
    std::promise<void> started;
    std::promise<void> release;
    runInBackground<int>(
        queue, main, owner,
        [&, released = release.get_future().share()](const CancellationToken&) {
            started.set_value();
            released.wait();
            return 2;
        },
        deliver);
    std::promise<void> ended;
    queue.async([&] { ended.set_value(); });
    started.get_future().wait();
    ASSERT_EQ(main.pendingCount(), 1u) << "the first result is posted";
    owner.dropAll();
    release.set_value();
    ended.get_future().wait();
    EXPECT_EQ(main.pendingCount(), 1u) << "the job in progress posted after the drop";
    main.runUntilIdle();
    EXPECT_TRUE(delivered.empty());
}

TEST(BackgroundTask, SerialQueueRunsJobsOneAtATimeInOrder) {
    WorkQueue queue("test.serial", 1);
    std::vector<int> order;
    std::promise<void> done;
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    for (int i : expected)
        queue.async([&order, i] { order.push_back(i); });
    queue.async([&] { done.set_value(); });
    done.get_future().wait();
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
