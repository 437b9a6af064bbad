#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/Scheduler.h"

namespace pindrake {

template <class Result>
class PendingCompletions;

// A completion handed to work on another thread that may outlive whoever started it. It runs at
// most once, on the main queue, with the first result given. It stays recallable until it runs:
// the delivery posted by `settle` looks again, on the main queue, whether the completion was
// dropped or overruled in the meantime. Once settled or dropped, later results are ignored and
// the main queue is never touched again, so a finished worker cannot post into a scheduler that
// is gone; nor does a result given after the scheduler was destroyed. Made by
// `PendingCompletions::add` only.
template <class Result>
class PendingCompletion : public std::enable_shared_from_this<PendingCompletion<Result>> {
  public:
    PendingCompletion(const PendingCompletion&) = delete;
    PendingCompletion& operator=(const PendingCompletion&) = delete;

    // Any thread. Posts the delivery unless a result was given or the completion dropped before.
    void settle(Result result) {
        std::lock_guard lock(mutex_);
        if (!done_ || result_)
            return;
        result_ = std::move(result);
        postDelivery();
    }
    // Any thread. The completion will never run, even when its delivery is already posted.
    void drop() {
        std::lock_guard lock(mutex_);
        done_ = {};
        result_.reset();
    }
    // Main queue. The completion runs with `result` instead, whatever a worker has given and
    // unless it has run already.
    void overrule(Result result) {
        std::lock_guard lock(mutex_);
        if (!done_)
            return;
        const bool posted = result_.has_value();
        result_ = std::move(result);
        if (!posted)
            postDelivery();
    }
    // Ran or dropped: nothing of it is left to recall.
    bool isFinished() const {
        std::lock_guard lock(mutex_);
        return !done_;
    }

  private:
    friend class PendingCompletions<Result>;

    PendingCompletion(Scheduler& main, std::function<void(Result)> done)
        : main_(main.link()), done_(std::move(done)) {}

    void postDelivery() {
        main_->post([self = this->shared_from_this()] { self->deliver(); });
    }
    void deliver() {
        std::function<void(Result)> done;
        std::optional<Result> result;
        {
            std::lock_guard lock(mutex_);
            done = std::exchange(done_, {});
            result = std::exchange(result_, std::nullopt);
        }
        if (done && result)
            done(std::move(*result));
    }

    mutable std::mutex mutex_;
    std::shared_ptr<Scheduler::Link> main_;
    std::function<void(Result)> done_;
    std::optional<Result> result_;
};

// The completions an owner has handed out, for recalling together when the owner goes: after
// that none of them runs with a worker's result. Main queue only.
template <class Result>
class PendingCompletions {
  public:
    PendingCompletions() = default;
    PendingCompletions(const PendingCompletions&) = delete;
    PendingCompletions& operator=(const PendingCompletions&) = delete;

    std::shared_ptr<PendingCompletion<Result>> add(Scheduler& main,
                                                   std::function<void(Result)> done) {
        std::erase_if(pending_, [](const auto& weak) {
            auto completion = weak.lock();
            return !completion || completion->isFinished();
        });
        std::shared_ptr<PendingCompletion<Result>> completion(
            new PendingCompletion<Result>(main, std::move(done)));
        pending_.push_back(completion);
        return completion;
    }

    // Every completion that has not run yet runs with `result`, the ones whose worker finished
    // but whose delivery is still queued included.
    void overruleAll(const Result& result) {
        for (const auto& weak : std::exchange(pending_, {})) {
            if (auto completion = weak.lock())
                completion->overrule(result);
        }
    }
    void dropAll() {
        for (const auto& weak : std::exchange(pending_, {})) {
            if (auto completion = weak.lock())
                completion->drop();
        }
    }

  private:
    std::vector<std::weak_ptr<PendingCompletion<Result>>> pending_;
};

}  // namespace pindrake
