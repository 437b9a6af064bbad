#include "foundation/CancellationToken.h"

#include <utility>

namespace pindrake {

const CancellationToken& CancellationToken::never() {
    static const CancellationToken token;
    return token;
}

void CancellationToken::cancel() const {
    std::vector<Subscription> due;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->cancelled.exchange(true))
            return;
        for (const auto& weak : std::exchange(state_->actions, {})) {
            if (auto action = weak.lock())
                due.push_back(std::move(action));
        }
    }
    for (const auto& action : due)
        (*action)();
}

CancellationToken::Subscription CancellationToken::whenCancelled(
    std::function<void()> action) const {
    auto subscription = std::make_shared<const std::function<void()>>(std::move(action));
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->cancelled.load()) {
            std::erase_if(state_->actions, [](const auto& weak) { return weak.expired(); });
            state_->actions.push_back(subscription);
            return subscription;
        }
    }
    (*subscription)();
    return subscription;
}

}  // namespace pindrake
