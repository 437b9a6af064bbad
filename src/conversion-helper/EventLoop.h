#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "foundation/Scheduler.h"

namespace pindrake::conversion_helper {

// The helper's main queue: its main thread runs the posted work and the timers that fall due,
// in order, for as long as it is asked to. Work may be posted from any thread.
class EventLoop final : public Scheduler {
  public:
    ~EventLoop() override { closeLink(); }

    void post(Task task) override;
    TimerHandle postAfter(Duration delay, Task task) override;
    TimerHandle repeatEvery(Duration interval, Task task) override;
    TimePoint now() const override;

    // Runs work as it falls due, waiting for it, until `finished` holds.
    void runUntil(const std::function<bool()>& finished);

  private:
    struct Entry {
        TimePoint due;
        std::uint64_t sequence;
        Duration interval;  // zero for work that runs once
        std::shared_ptr<std::atomic<bool>> cancelled;
        Task task;
    };

    TimerHandle schedule(Duration delay, Duration interval, Task task);

    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<Entry> entries_;
    std::uint64_t nextSequence_ = 0;
};

}  // namespace pindrake::conversion_helper
