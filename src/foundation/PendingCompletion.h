#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "foundation/Scheduler.h"

namespace pindrake {

// A completion handed to work on another thread that may outlive whoever started it. It runs at
// most once, on the main queue, with the first result given; once settled (or dropped) later
// results are ignored and the main queue is never touched again, so a finished worker cannot
// post into a scheduler that is gone.
template <class Result>
class PendingCompletion {
  public:
    PendingCompletion(Scheduler& main, std::function<void(Result)> done)
        : main_(&main), done_(std::move(done)) {}
    PendingCompletion(const PendingCompletion&) = delete;
    PendingCompletion& operator=(const PendingCompletion&) = delete;

    // Any thread. Posts the completion unless it was settled or dropped before.
    void settle(Result result) {
        std::lock_guard lock(mutex_);
        if (!done_)
            return;
        main_->post([done = std::exchange(done_, {}), result = std::move(result)]() mutable {
            done(std::move(result));
        });
    }
    // Any thread. The completion will never run.
    void drop() {
        std::lock_guard lock(mutex_);
        done_ = {};
    }
    bool isSettled() const {
        std::lock_guard lock(mutex_);
        return !done_;
    }

  private:
    mutable std::mutex mutex_;
    Scheduler* main_;
    std::function<void(Result)> done_;
};

// The completions an owner has handed out, for settling or dropping together when the owner
// goes: after that no worker posts on their account. Main queue only.
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
            return !completion || completion->isSettled();
        });
        auto completion = std::make_shared<PendingCompletion<Result>>(main, std::move(done));
        pending_.push_back(completion);
        return completion;
    }

    void settleAll(const Result& result) {
        for (const auto& weak : std::exchange(pending_, {})) {
            if (auto completion = weak.lock())
                completion->settle(result);
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
