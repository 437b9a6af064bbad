#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace pindrake {

// A handle that ends one observation when it is reset or destroyed.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }

  private:
    std::function<void()> cancel_;
};

// An observable value, main-thread only.
//
// Every assignment notifies, even when the value is unchanged: first the views, then the
// subscribers, synchronously and in the order they subscribed, each with the new value.
// A new subscription is handed the current value once. Subscriptions made with an owner hold
// it weakly and end by themselves once it is gone. Assigning from inside a notification is
// allowed: the nested assignment notifies everyone before the outer one carries on.
template <class T>
class Published {
  public:
    using Callback = std::function<void(const T&)>;

    explicit Published(T initial = T{}) : state_(std::make_shared<State>(std::move(initial))) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return state_->value; }
    const T& operator*() const { return state_->value; }
    const T* operator->() const { return &state_->value; }

    void set(T value) {
        // Keep the state alive even if a callback destroys this object.
        auto state = state_;
        state->value = std::move(value);
        // Deliver a copy: a nested assignment must not change what the remaining observers
        // of this assignment are told.
        const T delivered = state->value;
        notify(state->views, delivered);
        notify(state->subscribers, delivered);
    }
    Published& operator=(T value) {
        set(std::move(value));
        return *this;
    }

    // Views are re-rendered before any model logic runs.
    [[nodiscard]] Subscription observeForView(Callback callback) {
        return add(state_->views, std::move(callback), false);
    }

    [[nodiscard]] Subscription subscribe(Callback callback) {
        return add(state_->subscribers, std::move(callback), true);
    }

    // The subscription lasts as long as both the handle and the owner.
    template <class Owner>
    [[nodiscard]] Subscription subscribe(const std::shared_ptr<Owner>& owner,
                                         std::function<void(Owner&, const T&)> callback) {
        std::weak_ptr<Owner> weakOwner = owner;
        return subscribe([weakOwner, callback = std::move(callback)](const T& value) {
            if (auto strong = weakOwner.lock())
                callback(*strong, value);
        });
    }

  private:
    struct Observer {
        std::uint64_t id;
        std::shared_ptr<Callback> callback;
    };
    struct State {
        explicit State(T v) : value(std::move(v)) {}
        T value;
        std::vector<Observer> views;
        std::vector<Observer> subscribers;
        std::uint64_t nextId = 1;
    };

    static void notify(std::vector<Observer>& list, const T& value) {
        // A snapshot, so callbacks may subscribe or cancel while we iterate.
        const std::vector<Observer> snapshot = list;
        for (const auto& observer : snapshot) {
            if (isLive(list, observer.id))
                (*observer.callback)(value);
        }
    }

    static bool isLive(const std::vector<Observer>& list, std::uint64_t id) {
        for (const auto& o : list) {
            if (o.id == id)
                return true;
        }
        return false;
    }

    Subscription add(std::vector<Observer>& list, Callback callback, bool deliverCurrent) {
        auto shared = std::make_shared<Callback>(std::move(callback));
        const std::uint64_t id = state_->nextId++;
        list.push_back({id, shared});
        std::weak_ptr<State> weakState = state_;
        auto* listAddress = &list;
        Subscription subscription([weakState, listAddress, id] {
            if (auto state = weakState.lock()) {
                std::erase_if(*listAddress, [id](const Observer& o) { return o.id == id; });
            }
        });
        if (deliverCurrent) {
            const T current = state_->value;
            (*shared)(current);
        }
        return subscription;
    }

    std::shared_ptr<State> state_;
};

}  // namespace pindrake
