#pragma once

#include "platform/LoginItems.h"

namespace pindrake::platform {

class FakeLoginItems final : public LoginItems {
  public:
    bool isEnabled() const override { return enabled; }
    std::error_code registerApp() override {
        ++registrations;
        if (!failure)
            enabled = true;
        return failure;
    }
    std::error_code unregisterApp() override {
        if (!failure)
            enabled = false;
        return failure;
    }

    std::error_code updateRegistration() override {
        ++updates;
        return failure;
    }

    bool enabled = false;
    int updates = 0;
    int registrations = 0;
    std::error_code failure;  // set to make every request fail
};

}  // namespace pindrake::platform
