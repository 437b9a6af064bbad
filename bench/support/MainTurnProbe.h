#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

#include "foundation/ManualScheduler.h"
#include "support/Growth.h"

namespace pindrake::bench {

// A main queue that times each turn of work it runs: everything posted through it, and the
// calls made through run(). Work is handed to a ManualScheduler, which the caller runs.
class MainTurnProbe final : public Scheduler {
  public:
    explicit MainTurnProbe(ManualScheduler& main) : main_(main) {}
    ~MainTurnProbe() override { closeLink(); }

    void post(Task task) override { main_.post(timed(std::move(task))); }
    TimerHandle postAfter(Duration delay, Task task) override {
        return main_.postAfter(delay, timed(std::move(task)));
    }
    TimerHandle repeatEvery(Duration interval, Task task) override {
        return main_.repeatEvery(interval, timed(std::move(task)));
    }
    TimePoint now() const override { return main_.now(); }

    void run(const Task& task) { timed(task)(); }

    // The longest turn in wall time, and in the main thread's own CPU time (which a loaded
    // machine does not stretch).
    double longestWallMs() const { return longestWallMs_; }
    double longestCpuMs() const { return longestCpuMs_; }
    // Starts the next measure.
    void reset() { longestWallMs_ = longestCpuMs_ = 0; }

  private:
    Task timed(Task task) {
        return [this, task = std::move(task)] {
            const auto wallStart = std::chrono::steady_clock::now();
            const double cpuStart = test_support::threadCpuSeconds();
            task();
            const std::chrono::duration<double, std::milli> wall =
                std::chrono::steady_clock::now() - wallStart;
            longestWallMs_ = std::max(longestWallMs_, wall.count());
            longestCpuMs_ =
                std::max(longestCpuMs_, (test_support::threadCpuSeconds() - cpuStart) * 1e3);
        };
    }

    ManualScheduler& main_;
    double longestWallMs_ = 0;
    double longestCpuMs_ = 0;
};

}  // namespace pindrake::bench
