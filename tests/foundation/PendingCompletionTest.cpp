#include "foundation/PendingCompletion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/ManualScheduler.h"

namespace pindrake {
namespace {

// What happens to a completion between its worker's result and the main queue's next turn.
// The owner may go in that window; what it recalls then must stay recalled.
TEST(PendingCompletion, OwnerRecallsHoldUntilTheMainQueueRuns) {
    enum class Recall { none, drop, overrule };
    struct Case {
        const char* name;
        Recall recall;
        std::vector<std::string> delivered;
    };
    const Case cases[] = {
        {"kept", Recall::none, {"worker"}},
        {"dropped after the worker settled", Recall::drop, {}},
        {"overruled after the worker settled", Recall::overrule, {"owner gone"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManualScheduler main;
        PendingCompletions<std::string> owner;
        std::vector<std::string> delivered;
        auto completion =
            owner.add(main, [&](std::string result) { delivered.push_back(std::move(result)); });
        std::thread worker([completion] { completion->settle("worker"); });
        worker.join();
        ASSERT_EQ(main.pendingCount(), 1u);
        if (c.recall == Recall::drop)
            owner.dropAll();
        if (c.recall == Recall::overrule)
            owner.overruleAll("owner gone");
        main.runUntilIdle();
        EXPECT_EQ(delivered, c.delivered);
        // Nothing a worker gives later reaches the main queue.
        completion->settle("late");
        EXPECT_EQ(main.pendingCount(), 0u);
        EXPECT_EQ(delivered, c.delivered);
    }
}

// Recalled before the worker is done: the dropped completion never posts; the overruled one
// runs once, with the owner's result, and ignores the worker's.
TEST(PendingCompletion, RecallBeforeTheWorkerFinishesWins) {
    ManualScheduler main;
    PendingCompletions<int> owner;
    std::vector<int> dropped;
    std::vector<int> overruled;
    auto first = owner.add(main, [&](int result) { dropped.push_back(result); });
    owner.dropAll();
    first->settle(1);
    EXPECT_EQ(main.pendingCount(), 0u);

    auto second = owner.add(main, [&](int result) { overruled.push_back(result); });
    owner.overruleAll(-1);
    second->settle(2);
    main.runUntilIdle();
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(overruled, std::vector<int>{-1});
}

// An owner hands out many completions over its life: the ones that ran are let go, while one
// settled but not yet delivered stays recallable.
TEST(PendingCompletion, DeliveredCompletionsAreLetGoButQueuedOnesStayRecallable) {
    ManualScheduler main;
    PendingCompletions<int> owner;
    int runs = 0;
    auto ran = owner.add(main, [&](int) { ++runs; });
    ran->settle(1);
    main.runUntilIdle();
    std::weak_ptr<PendingCompletion<int>> ranWeak = ran;
    ran.reset();
    auto queued = owner.add(main, [&](int) { ++runs; });
    queued->settle(2);
    queued.reset();  // the worker's job is over; only the posted delivery holds it
    owner.add(main, [&](int) { ++runs; });  // prunes
    EXPECT_TRUE(ranWeak.expired());
    owner.dropAll();
    main.runUntilIdle();
    EXPECT_EQ(runs, 1);
}

// A main queue that counts what is posted to it once its destructor has run.
class CountingScheduler final : public Scheduler {
  public:
    explicit CountingScheduler(std::atomic<int>& postsWhenGone) : postsWhenGone_(postsWhenGone) {}
    ~CountingScheduler() override {
        closeLink();
        gone_ = true;
    }

    void post(Task) override { postsWhenGone_ += gone_ ? 1 : 0; }
    TimerHandle postAfter(Duration, Task) override { return {}; }
    TimerHandle repeatEvery(Duration, Task) override { return {}; }
    TimePoint now() const override { return {}; }

  private:
    std::atomic<int>& postsWhenGone_;
    std::atomic<bool> gone_{false};
};

// An owner that lives as long as its work (a conversion keeps its runtime) never recalls its
// completions. A worker that ends after the main queue was destroyed, at the end of main(),
// posts nothing there, and what its completion held is let go.
TEST(PendingCompletion, AWorkerEndingAfterTheMainQueueIsGonePostsNothing) {
    std::atomic<int> postsWhenGone{0};
    PendingCompletions<int> owner;
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> heldByCompletion = held;
    std::optional<CountingScheduler> main(std::in_place, postsWhenGone);
    auto completion = owner.add(*main, [held = std::move(held)](int) {});
    main.reset();
    std::thread worker([completion = std::move(completion)]() mutable {
        completion->settle(1);
        completion.reset();
    });
    worker.join();
    EXPECT_EQ(postsWhenGone, 0);
    EXPECT_TRUE(heldByCompletion.expired());
}

}  // namespace
}  // namespace pindrake
