#pragma once

#include <vector>

#include "platform/Updater.h"

namespace pindrake::platform {

class FakeUpdater final : public Updater {
  public:
    bool canCheckForUpdates() const override { return canCheck_; }
    void observeCanCheckForUpdates(std::function<void(bool)> onChange) override {
        onChange(canCheck_);
        observers_.push_back(std::move(onChange));
    }
    void checkForUpdates() override { ++checks; }

    void setCanCheck(bool value) {
        canCheck_ = value;
        for (auto& observer : observers_)
            observer(value);
    }

    int checks = 0;

  private:
    bool canCheck_ = false;
    std::vector<std::function<void(bool)>> observers_;
};

}  // namespace pindrake::platform
