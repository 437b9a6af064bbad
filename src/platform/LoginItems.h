#pragma once

#include <system_error>

namespace pindrake::platform {

// Whether the application starts when the user logs in.
class LoginItems {
  public:
    virtual ~LoginItems() = default;

    virtual bool isEnabled() const = 0;
    // Whether a login item for the application is there at all, switched on or off, whoever
    // made it.
    virtual bool exists() const = 0;
    virtual std::error_code registerApp() = 0;
    virtual std::error_code unregisterApp() = 0;
    // While the application starts at login, makes the login item start this very program: one
    // left by an older build or another install is pointed here. Nothing while it is off.
    virtual std::error_code updateRegistration() = 0;
};

}  // namespace pindrake::platform
