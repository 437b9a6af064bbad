#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/HotKeyBackend.h"

namespace pindrake::platform {

// Records grabs instead of making them. Combinations can be refused with a chosen status, and
// some can be held "by the system"; presses are simulated by combination.
class FakeHotKeyBackend final : public HotKeyBackend {
  public:
    struct Combination {
        std::uint32_t keyCode;
        std::uint32_t carbonModifiers;
        friend auto operator<=>(const Combination&, const Combination&) = default;
    };
    struct Call {
        enum class Kind { registered, unregistered } kind;
        HotKeyId id;
        Combination combination;
        friend bool operator==(const Call&, const Call&) = default;
    };

    int registerHotKey(HotKeyId id, std::uint32_t keyCode, std::uint32_t mods) override {
        const Combination combination{keyCode, mods};
        auto refusal = refusals_.find(combination);
        if (refusal != refusals_.end())
            return refusal->second;
        held_[id] = combination;
        calls_.push_back({Call::Kind::registered, id, combination});
        return statusOk;
    }
    void unregisterHotKey(HotKeyId id) override {
        auto it = held_.find(id);
        if (it == held_.end())
            return;
        calls_.push_back({Call::Kind::unregistered, id, it->second});
        held_.erase(it);
    }
    bool isTakenElsewhere(std::uint32_t keyCode, std::uint32_t mods) override {
        return takenBySystem_.contains({keyCode, mods});
    }
    void setEventHandler(EventHandler handler) override { handler_ = std::move(handler); }

    void refuse(Combination combination, int status = statusTaken) {
        refusals_[combination] = status;
    }
    void stopRefusing(Combination combination) { refusals_.erase(combination); }
    void reserveForSystem(Combination combination) { takenBySystem_.insert(combination); }

    // A physical press and release of the combination: delivered only while it is held.
    void press(Combination combination) { deliver(combination, Event::pressed); }
    void release(Combination combination) { deliver(combination, Event::released); }
    void pressAndRelease(Combination combination) {
        press(combination);
        release(combination);
    }

    const std::map<HotKeyId, Combination>& held() const { return held_; }
    bool isHeld(Combination combination) const {
        for (const auto& [id, held] : held_) {
            if (held == combination)
                return true;
        }
        return false;
    }
    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

  private:
    void deliver(Combination combination, Event event) {
        for (const auto& [id, held] : held_) {
            if (held == combination && handler_) {
                handler_(id, event);
                return;
            }
        }
    }

    std::map<HotKeyId, Combination> held_;
    std::map<Combination, int> refusals_;
    std::set<Combination> takenBySystem_;
    std::vector<Call> calls_;
    EventHandler handler_;
};

}  // namespace pindrake::platform
