#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foundation/CancellationToken.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"

namespace pindrake {

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
