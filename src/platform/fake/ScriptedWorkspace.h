#pragma once

#include <vector>

#include "platform/Workspace.h"

namespace pindrake::platform {

// A desktop whose frontmost application the test chooses; activations are recorded.
class ScriptedWorkspace final : public Workspace {
  public:
    std::optional<RunningApplication> frontmostApplication() const override { return frontmost; }
    void activate(const RunningApplication& application) override {
        activations.push_back(application);
        frontmost = application;
    }

    std::optional<RunningApplication> frontmost;
    std::vector<RunningApplication> activations;
};

}  // namespace pindrake::platform
