#include "app/model/UpdaterViewModel.h"

namespace pindrake::app {

UpdaterViewModel::UpdaterViewModel(platform::Updater& updater) : updater_(updater) {
    std::weak_ptr<bool> alive = alive_;
    updater_.observeCanCheckForUpdates([this, alive](bool canCheck) {
        if (alive.lock())
            canCheckForUpdates_ = canCheck;
    });
}

void UpdaterViewModel::checkForUpdates() {
    if (canCheckForUpdates_.get())
        updater_.checkForUpdates();
}

}  // namespace pindrake::app
