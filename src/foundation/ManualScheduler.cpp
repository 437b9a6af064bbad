#include "foundation/ManualScheduler.h"

#include <algorithm>

namespace pindrake {

ManualScheduler::ManualScheduler() : now_(TimePoint{}) {}

void ManualScheduler::post(Task task) {
    std::lock_guard lock(mutex_);
    entries_.push_back({now_, nextSequence_++, Duration::zero(),
                        std::make_shared<std::atomic<bool>>(false), std::move(task)});
    posted_.notify_all();
}

TimerHandle ManualScheduler::postAfter(Duration delay, Task task) {
    std::lock_guard lock(mutex_);
    return schedule(now_ + std::max(delay, Duration::zero()), Duration::zero(), std::move(task));
}

TimerHandle ManualScheduler::repeatEvery(Duration interval, Task task) {
    std::lock_guard lock(mutex_);
    // A zero interval would make one call to advance() spin forever.
    interval = std::max(interval, Duration(1));
    return schedule(now_ + interval, interval, std::move(task));
}

TimerHandle ManualScheduler::schedule(TimePoint due, Duration interval, Task task) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    entries_.push_back({due, nextSequence_++, interval, cancelled, std::move(task)});
    posted_.notify_all();
    return TimerHandle(cancelled);
}

TimePoint ManualScheduler::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool ManualScheduler::hasDueWork(TimePoint at) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [at](const Entry& e) { return e.due <= at && !e.cancelled->load(); });
}

std::size_t ManualScheduler::runTurn(TimePoint at) {
    std::vector<Entry> due;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [](const Entry& e) { return e.cancelled->load(); });
        auto split = std::stable_partition(entries_.begin(), entries_.end(),
                                           [at](const Entry& e) { return e.due > at; });
        due.assign(std::make_move_iterator(split), std::make_move_iterator(entries_.end()));
        entries_.erase(split, entries_.end());
    }
    std::sort(due.begin(), due.end(), [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
    });
    std::size_t ran = 0;
    for (auto& entry : due) {
        // An earlier task of this turn may have cancelled a later one.
        if (entry.cancelled->load())
            continue;
        entry.task();
        ++ran;
        if (entry.interval > Duration::zero() && !entry.cancelled->load()) {
            std::lock_guard lock(mutex_);
            entries_.push_back({entry.due + entry.interval, nextSequence_++, entry.interval,
                                entry.cancelled, std::move(entry.task)});
        }
    }
    return ran;
}

std::size_t ManualScheduler::runUntilIdle() {
    std::size_t ran = 0;
    for (;;) {
        TimePoint at;
        {
            std::lock_guard lock(mutex_);
            if (!hasDueWork(now_))
                return ran;
            at = now_;
        }
        ran += runTurn(at);
    }
}

std::size_t ManualScheduler::advance(Duration d) {
    std::size_t ran = runUntilIdle();
    TimePoint target;
    {
        std::lock_guard lock(mutex_);
        target = now_ + d;
    }
    for (;;) {
        TimePoint next;
        {
            std::lock_guard lock(mutex_);
            std::erase_if(entries_, [](const Entry& e) { return e.cancelled->load(); });
            auto earliest =
                std::min_element(entries_.begin(), entries_.end(),
                                 [](const Entry& a, const Entry& b) { return a.due < b.due; });
            if (earliest == entries_.end() || earliest->due > target) {
                now_ = target;
                return ran;
            }
            next = std::max(earliest->due, now_);
            now_ = next;
        }
        ran += runUntilIdle();
    }
}

bool ManualScheduler::waitForPost(std::chrono::milliseconds realTimeout) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, realTimeout, [this] { return hasDueWork(now_); });
}

std::size_t ManualScheduler::pendingCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](const Entry& e) { return !e.cancelled->load(); }));
}

}  // namespace pindrake
