#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/KeySynth.h"
#include "platform/Workspace.h"
#include "platform/linux/XcbConnection.h"

namespace pindrake::platform {

// The paste key through the XTest extension, into whichever window has the keyboard focus.
// Trusted when the display offers XTest (there is no permission to ask for on X11).
class XcbKeySynth final : public KeySynth {
  public:
    // The workspace tells which application is in front, and so which key it pastes with.
    explicit XcbKeySynth(const Workspace& workspace) : workspace_(workspace) {}

    bool isTrusted() const override;
    PasteKey pasteKey() const override;
    void postPaste(PasteKey key) override;

  private:
    std::vector<xcb_keycode_t> heldModifierKeys() const;
    void fakeKey(std::uint8_t type, xcb_keycode_t keycode);

    const Workspace& workspace_;
    XcbConnection x_;
};

}  // namespace pindrake::platform
