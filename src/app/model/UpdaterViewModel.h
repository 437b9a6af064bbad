#pragma once

#include <memory>

#include "foundation/Published.h"
#include "platform/Updater.h"

namespace pindrake::app {

// Mirrors whether the updater can check for updates, for the menu's update item, and starts
// the checks the user asks for. Main thread only.
class UpdaterViewModel {
  public:
    explicit UpdaterViewModel(platform::Updater& updater);
    UpdaterViewModel(const UpdaterViewModel&) = delete;
    UpdaterViewModel& operator=(const UpdaterViewModel&) = delete;

    Published<bool>& canCheckForUpdates() { return canCheckForUpdates_; }
    const Published<bool>& canCheckForUpdates() const { return canCheckForUpdates_; }
    void checkForUpdates();

  private:
    platform::Updater& updater_;
    Published<bool> canCheckForUpdates_{false};
    // The updater may report after this model is gone; the flag tells its handler.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pindrake::app
