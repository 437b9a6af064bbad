#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace pindrake {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

inline constexpr Duration seconds(double s) {
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(s));
}

// Cancels delayed or repeating work. Copies share one flag; dropping a handle cancels nothing,
// so fire-and-forget work needs no bookkeeping while owners cancel what they started.
class TimerHandle {
  public:
    TimerHandle() = default;
    explicit TimerHandle(std::shared_ptr<std::atomic<bool>> cancelled)
        : cancelled_(std::move(cancelled)) {}

    void cancel() {
        if (cancelled_)
            cancelled_->store(true);
    }
    bool isCancelled() const { return !cancelled_ || cancelled_->load(); }

  private:
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

// The main queue. All of the app's state is touched from work run here; `post` may be called
// from any thread, which is how worker threads hand their results back.
class Scheduler {
  public:
    using Task = std::function<void()>;

    // The way back to the queue for work on other threads that may end after the queue is gone:
    // posts while the queue lives, and does nothing once the queue has closed it.
    class Link {
      public:
        explicit Link(Scheduler& queue) : queue_(&queue) {}
        // A task that is not posted is destroyed with the parameter, once the lock is released:
        // what it holds may post in turn.
        void post(Task task) {
            std::lock_guard lock(mutex_);
            if (queue_)
                queue_->post(std::move(task));
        }

      private:
        friend class Scheduler;
        std::mutex mutex_;
        Scheduler* queue_;
    };

    Scheduler() = default;
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;
    virtual ~Scheduler() { closeLink(); }

    std::shared_ptr<Link> link() const { return link_; }

    // Runs the task in a later turn of the main queue, in posting order.
    virtual void post(Task task) = 0;
    // Runs the task once, no sooner than `delay` from now, unless cancelled first.
    virtual TimerHandle postAfter(Duration delay, Task task) = 0;
    // Runs the task every `interval` until cancelled.
    virtual TimerHandle repeatEvery(Duration interval, Task task) = 0;
    // Keeps counting while the machine sleeps.
    virtual TimePoint now() const = 0;

  protected:
    // The first thing each queue's destructor does: from then on nothing posted through the
    // link reaches the queue, and a post in progress has ended.
    void closeLink() {
        std::lock_guard lock(link_->mutex_);
        link_->queue_ = nullptr;
    }

  private:
    std::shared_ptr<Link> link_ = std::make_shared<Link>(*this);
};

}  // namespace pindrake
