#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Published.h"

namespace pindrake::GlobalShortcuts {

// A named notification of this module: observers are called synchronously, in the order they
// started observing, on the posting thread (the main thread).
template <class... Args>
class Notifier {
  public:
    using Callback = std::function<void(Args...)>;

    explicit Notifier(std::string name) : name_(std::move(name)) {}
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    const std::string& name() const { return name_; }

    [[nodiscard]] Subscription observe(Callback callback) {
        const std::uint64_t id = state_->nextId++;
        state_->observers.push_back({id, std::make_shared<Callback>(std::move(callback))});
        std::weak_ptr<State> weakState = state_;
        return Subscription([weakState, id] {
            if (auto state = weakState.lock()) {
                std::erase_if(state->observers, [id](const Observer& o) { return o.id == id; });
            }
        });
    }

    void post(Args... args) {
        auto state = state_;
        // A snapshot, so observers may come and go while the notification is delivered.
        const auto snapshot = state->observers;
        for (const auto& observer : snapshot) {
            const bool live = std::any_of(state->observers.begin(), state->observers.end(),
                                          [&](const Observer& o) { return o.id == observer.id; });
            if (live)
                (*observer.callback)(args...);
        }
    }

  private:
    struct Observer {
        std::uint64_t id;
        std::shared_ptr<Callback> callback;
    };
    struct State {
        std::vector<Observer> observers;
        std::uint64_t nextId = 1;
    };

    std::string name_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace pindrake::GlobalShortcuts
