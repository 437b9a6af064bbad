#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pindrake {

// Shared by a running background job and whoever started it.
class CancellationToken {
  public:
    // Held by whoever wants to be told of the cancellation: once it is gone, nothing is told.
    using Subscription = std::shared_ptr<const std::function<void()>>;

    // How many steps a pass over a text takes between two looks at its token.
    static constexpr std::size_t stretch = std::size_t{1} << 12;

    CancellationToken() : state_(std::make_shared<State>()) {}
    // A token no one cancels, for the passes run without one.
    static const CancellationToken& never();
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
    struct State {
        std::atomic<bool> cancelled = false;
        std::mutex mutex;
        std::vector<std::weak_ptr<const std::function<void()>>> actions;
    };
    std::shared_ptr<State> state_;
};

}  // namespace pindrake
