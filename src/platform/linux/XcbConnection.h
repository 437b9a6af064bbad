#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <xcb/xcb.h>

namespace pindrake::platform {

// A connection of its own to the X display named by $DISPLAY, for short synchronous queries.
// Every request is checked, so errors (a window that vanished) are consumed where they happen
// and never pile up or end the process.
class XcbConnection {
  public:
    XcbConnection();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    bool isConnected() const { return connection_ != nullptr; }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }
    // Hands the connection over to a caller that keeps it open for its own life.
    xcb_connection_t* release() {
        root_ = XCB_WINDOW_NONE;
        return std::exchange(connection_, nullptr);
    }

    xcb_atom_t atom(std::string_view name) const;
    // The raw value of a window property; nothing when it is absent or the window is gone.
    std::optional<std::vector<std::uint8_t>> property(xcb_window_t window, xcb_atom_t property,
                                                      xcb_atom_t type) const;
    std::optional<xcb_window_t> windowProperty(xcb_window_t window, std::string_view name) const;
    std::optional<xcb_window_t> parent(xcb_window_t window) const;
    // Waits for the server to process the request and reports whether it succeeded.
    bool succeeded(xcb_void_cookie_t cookie) const;

  private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace pindrake::platform
