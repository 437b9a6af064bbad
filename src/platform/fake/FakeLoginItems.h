#pragma once

#include "platform/LoginItems.h"

namespace pindrake::platform {

class FakeLoginItems final : public LoginItems {
  public:
    bool isEnabled() const override { return enabled; }
    bool exists() const override { return enabled || switchedOff; }
    std::error_code registerApp() override {
        ++registrations;
        if (!failure) {
            enabled = true;
            switchedOff = false;
        }
        return failure;
    }
    std::error_code unregisterApp() override {
        if (!failure)
            enabled = switchedOff = false;
        return failure;
    }

    std::error_code updateRegistration() override {
        ++updates;
        return failure;
    }

    bool enabled = false;
    // An item is there that the user switched off.
    bool switchedOff = false;
    int updates = 0;
    int registrations = 0;
    std::error_code failure;  // set to make every request fail
};

}  // namespace pindrake::platform
