#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace pindrake {

// Work handed to a worker that another thread may need done before the worker's turn comes (the
// main thread at quit): it runs once, on whichever thread starts it first. Its result is taken
// once.
template <class Result>
class RunOnce {
  public:
    explicit RunOnce(std::function<Result()> work) : work_(std::move(work)) {}
    RunOnce(const RunOnce&) = delete;
    RunOnce& operator=(const RunOnce&) = delete;

    // Any thread. Runs the work unless it has been started; true when this call ran it.
    bool run() {
        std::function<Result()> work;
        {
            std::lock_guard lock(mutex_);
            if (state_ != State::waiting)
                return false;
            state_ = State::running;
            work = std::exchange(work_, {});
        }
        Result result = work();
        {
            std::lock_guard lock(mutex_);
            result_ = std::move(result);
            state_ = State::ended;
        }
        ended_.notify_all();
        return true;
    }

    // Any thread. The result, running the work here when nobody has started it, or waiting
    // until `deadline` for the run in progress. Nothing once the deadline has passed or the
    // result was taken.
    std::optional<Result> runOrWait(std::chrono::steady_clock::time_point deadline) {
        run();
        std::unique_lock lock(mutex_);
        ended_.wait_until(lock, deadline, [this] { return state_ == State::ended; });
        return std::exchange(result_, std::nullopt);
    }

    // Any thread. The result once the work has ended, if not taken before.
    std::optional<Result> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(result_, std::nullopt);
    }

  private:
    enum class State { waiting, running, ended };

    std::mutex mutex_;
    std::condition_variable ended_;
    State state_ = State::waiting;
    std::function<Result()> work_;
    std::optional<Result> result_;
};

}  // namespace pindrake
