#pragma once

#include "platform/Workspace.h"
#include "platform/linux/XcbConnection.h"

namespace pindrake::platform {

// The active application on X11: the window manager's _NET_ACTIVE_WINDOW, or the window with
// the keyboard focus when no EWMH window manager runs. Its identifier is the WM_CLASS class of
// the window (or the nearest ancestor that has one).
class XcbWorkspace final : public Workspace {
  public:
    std::optional<RunningApplication> frontmostApplication() const override;
    // Asks the window manager to activate the window; without one, focuses and raises it.
    void activate(const RunningApplication& application) override;

  private:
    std::optional<std::string> windowClass(xcb_window_t window) const;
    bool windowManagerActivates() const;

    XcbConnection x_;
};

}  // namespace pindrake::platform
