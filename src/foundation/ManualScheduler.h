#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "foundation/Scheduler.h"

namespace pindrake {

// A main queue on virtual time for tests. Work runs only when the test asks: tasks due at the
// same time keep their posting order, and work posted while a turn runs waits for a later turn.
class ManualScheduler final : public Scheduler {
  public:
    ManualScheduler();
    ~ManualScheduler() override { closeLink(); }

    void post(Task task) override;
    TimerHandle postAfter(Duration delay, Task task) override;
    TimerHandle repeatEvery(Duration interval, Task task) override;
    TimePoint now() const override;

    // Runs due work, turn after turn, until nothing is due at the current time.
    // Returns the number of tasks run.
    std::size_t runUntilIdle();
    // Moves virtual time forward by `d`, running every task that falls due on the way, at its
    // own deadline, in deadline order.
    std::size_t advance(Duration d);
    // Blocks (in real time) until work has been posted, for results coming back from worker
    // threads. Returns false on time-out.
    bool waitForPost(std::chrono::milliseconds realTimeout);
    std::size_t pendingCount() const;

  private:
    struct Entry {
        TimePoint due;
        std::uint64_t sequence;
        Duration interval;  // zero for one-shot work
        std::shared_ptr<std::atomic<bool>> cancelled;
        Task task;
    };

    TimerHandle schedule(TimePoint due, Duration interval, Task task);
    // Runs one turn: the entries due at `at` that existed when the turn began.
    std::size_t runTurn(TimePoint at);
    bool hasDueWork(TimePoint at) const;

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<Entry> entries_;
    std::uint64_t nextSequence_ = 0;
    TimePoint now_;
};

}  // namespace pindrake
