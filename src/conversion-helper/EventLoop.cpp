#include "conversion-helper/EventLoop.h"

#include <algorithm>

namespace pindrake::conversion_helper {

void EventLoop::post(Task task) {
    schedule(Duration::zero(), Duration::zero(), std::move(task));
}

TimerHandle EventLoop::postAfter(Duration delay, Task task) {
    return schedule(delay, Duration::zero(), std::move(task));
}

TimerHandle EventLoop::repeatEvery(Duration interval, Task task) {
    return schedule(interval, interval, std::move(task));
}

TimePoint EventLoop::now() const {
    return std::chrono::steady_clock::now();
}

TimerHandle EventLoop::schedule(Duration delay, Duration interval, Task task) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard lock(mutex_);
        entries_.push_back({now() + delay, nextSequence_++, interval, cancelled, std::move(task)});
    }
    posted_.notify_one();
    return TimerHandle(cancelled);
}

void EventLoop::runUntil(const std::function<bool()>& finished) {
    const auto earlier = [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
    };
    while (!finished()) {
        Entry entry;
        {
            std::unique_lock lock(mutex_);
            std::erase_if(entries_, [](const Entry& e) { return e.cancelled->load(); });
            const auto next = std::min_element(entries_.begin(), entries_.end(), earlier);
            if (next == entries_.end()) {
                posted_.wait(lock);
                continue;
            }
            // A copy: the entries may move while the lock is released.
            if (const TimePoint due = next->due; due > now()) {
                posted_.wait_until(lock, due);
                continue;
            }
            entry = std::move(*next);
            entries_.erase(next);
        }
        entry.task();
        if (entry.interval > Duration::zero() && !entry.cancelled->load()) {
            std::lock_guard lock(mutex_);
            entry.due += entry.interval;
            entry.sequence = nextSequence_++;
            entries_.push_back(std::move(entry));
        }
    }
}

}  // namespace pindrake::conversion_helper
