#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "foundation/Scheduler.h"

namespace pindrake {

// Shared by a running background job and whoever started it.
class CancellationToken {
  public:
    CancellationToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { flag_->store(true); }
    bool isCancelled() const { return flag_->load(); }

  private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

// Worker threads running queued jobs. Destruction waits for the jobs in progress and drops
// the ones not yet started.
class WorkQueue {
  public:
    // `threads` is 1 for a serial queue, whose jobs run one at a time in queueing order.
    WorkQueue(std::string name, std::size_t threads);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void async(std::function<void()> job);
    const std::string& name() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The process-wide pool for independent background work (conversions, icon decoding).
WorkQueue& sharedWorkPool();

// Runs `work` on `queue` and hands its result to `done` on the main queue, unless the token
// was cancelled by then. `work` may poll the token to stop early.
template <class Result>
CancellationToken runInBackground(WorkQueue& queue, Scheduler& main,
                                  std::function<Result(const CancellationToken&)> work,
                                  std::function<void(Result)> done) {
    CancellationToken token;
    queue.async([token, &main, work = std::move(work), done = std::move(done)]() mutable {
        if (token.isCancelled())
            return;
        auto result = std::make_shared<Result>(work(token));
        main.post([token, result, done = std::move(done)]() mutable {
            if (!token.isCancelled())
                done(std::move(*result));
        });
    });
    return token;
}

}  // namespace pindrake
