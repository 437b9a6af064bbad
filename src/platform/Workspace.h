#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pindrake::platform {

// An application as seen through one of its top-level windows.
struct RunningApplication {
    // The application's identifier (on X11 the WM_CLASS class); absent when it names none.
    std::optional<std::string> bundleIdentifier;
    // The backend's handle of the window that was in front, used to bring it back.
    std::uint64_t window = 0;

    bool operator==(const RunningApplication&) const = default;
};

// The desktop's applications. Main thread only.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // The application whose window is active, if any.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // Brings the application's window to the front and gives it the keyboard focus.
    virtual void activate(const RunningApplication& application) = 0;
};

}  // namespace pindrake::platform
