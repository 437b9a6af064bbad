#pragma once

#include <optional>

#include "platform/KeySynth.h"
#include "platform/linux/XcbConnection.h"

namespace pindrake::platform {

// Ctrl+V through the XTest extension, into whichever window has the keyboard focus. Trusted
// when the display offers XTest (there is no permission to ask for on X11).
class XcbKeySynth final : public KeySynth {
  public:
    bool isTrusted() const override;
    void postPaste() override;

  private:
    std::optional<xcb_keycode_t> keycodeFor(xcb_keysym_t keysym) const;
    void fakeKey(std::uint8_t type, xcb_keycode_t keycode);

    XcbConnection x_;
};

}  // namespace pindrake::platform
