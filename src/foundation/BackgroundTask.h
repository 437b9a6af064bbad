#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"

namespace pindrake {

// Shared by a running background job and whoever started it.
class CancellationToken {
  public:
    // Held by whoever wants to be told of the cancellation: once it is gone, nothing is told.
    using Subscription = std::shared_ptr<const std::function<void()>>;

    CancellationToken() : state_(std::make_shared<State>()) {}
    // Any thread. Runs, on this thread, the actions whose subscriptions are still held.
    void cancel() const;
    bool isCancelled() const { return state_->cancelled.load(); }
    // The same, looked at only once per stretch of `step`s, for loops over every byte.
    bool isCancelledAt(std::size_t step) const { return step % stretch == 0 && isCancelled(); }

    // Any thread. `action` runs once, on the thread that cancels the token (at once, here, when
    // it is cancelled already), unless the subscription has gone by then. What stops work can
    // so also answer for it, whether or not the work ever looks at the token again.
    [[nodiscard]] Subscription whenCancelled(std::function<void()> action) const;

  private:
    static constexpr std::size_t stretch = std::size_t{1} << 16;

    struct State {
        std::atomic<bool> cancelled = false;
        std::mutex mutex;
        std::vector<std::weak_ptr<const std::function<void()>>> actions;
    };
    std::shared_ptr<State> state_;
};

// Worker threads running queued jobs. Destruction never waits: it drops the jobs not yet
// started, and the threads finish the jobs in progress on their own, then end. Jobs therefore
// own what they use (shared state, never a pointer to the queue's owner).
class WorkQueue {
  public:
    // `threads` is 1 for a serial queue, whose jobs run one at a time in queueing order. The
    // threads carry `name` for debuggers and `top`, cut to the 15 bytes the system keeps by
    // dropping leading dotted parts ("com.zarezo.html-to-md" runs as "html-to-md").
    WorkQueue(const std::string& name, std::size_t threads);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void async(std::function<void()> job);
    // Ends the queue like destruction, then runs `last` on a worker (on a serial queue, after
    // the job in progress): the place to release what is costly to free, such as a script
    // engine, off the calling thread. Later jobs are ignored.
    void finish(std::function<void()> last);

  private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

// Runs `work` on `queue` and hands its result to `done` on the main queue, unless the token
// was cancelled by then or `owner` dropped its completions: once they are dropped, a job still
// in progress neither delivers nor posts. `work` may poll the token to stop early.
template <class Result>
CancellationToken runInBackground(WorkQueue& queue, Scheduler& main,
                                  PendingCompletions<Result>& owner,
                                  std::function<Result(const CancellationToken&)> work,
                                  std::function<void(Result)> done) {
    CancellationToken token;
    auto completion = owner.add(main, [token, done = std::move(done)](Result result) {
        if (!token.isCancelled())
            done(std::move(result));
    });
    queue.async([token, completion = std::move(completion), work = std::move(work)] {
        if (!token.isCancelled())
            completion->settle(work(token));
    });
    return token;
}

}  // namespace pindrake
