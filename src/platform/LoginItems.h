#pragma once

#include <system_error>

namespace pindrake::platform {

// Whether the application starts when the user logs in.
class LoginItems {
  public:
    virtual ~LoginItems() = default;

    virtual bool isEnabled() const = 0;
    virtual std::error_code registerApp() = 0;
    virtual std::error_code unregisterApp() = 0;
};

}  // namespace pindrake::platform
