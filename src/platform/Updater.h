#pragma once

#include <functional>

namespace pindrake::platform {

// A software updater started at creation, with its own user interface for the checks it runs.
class Updater {
  public:
    virtual ~Updater() = default;

    virtual bool canCheckForUpdates() const = 0;
    // Calls `onChange` with the current value at once and again at every change, on the main
    // thread, until the updater is destroyed.
    virtual void observeCanCheckForUpdates(std::function<void(bool)> onChange) = 0;
    // Starts a check the user asked for; the updater reports to the user itself.
    virtual void checkForUpdates() = 0;
};

}  // namespace pindrake::platform
