#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyboardLayout.h"

struct xkb_context;
struct xkb_keymap;
struct xcb_connection_t;

namespace pindrake::platform {

// Key characters from an XKB keymap. Keys are named in the active group (layout) when its
// letter keys type Latin letters, else in the first group whose letters are Latin, else as on
// a US keyboard: with a Russian or Greek layout active, Shift-Command-V still reads "⇧⌘V".
class XkbKeyboardLayout final : public KeyboardLayout {
  public:
    // A keymap compiled from the installed XKB rules ("evdev", "pc105"), for example "us", "fr"
    // or "us,de". Null when it does not compile.
    static std::unique_ptr<XkbKeyboardLayout> fromNames(std::string_view layouts,
                                                        std::string_view variants = {});
    // The keyboard of the X display (its own connection), following the active group and
    // keymap changes. Without a reachable display: a compiled "us" keymap, so that keys keep
    // their usual names rather than turning into replacement characters.
    static std::unique_ptr<XkbKeyboardLayout> forDisplay();

    ~XkbKeyboardLayout() override;

    std::optional<std::string> characterFor(std::uint16_t virtualKeyCode) const override;

    // The virtual key code of an XKB key code (the X key code, which Qt hands out as the native
    // scan code on X11). None for keys that stored shortcuts cannot name.
    std::optional<std::uint16_t> virtualKeyCodeForKeycode(std::uint32_t keycode) const;

    // For compiled keymaps: which group counts as active. The display's own is read afresh.
    void setActiveGroup(std::uint32_t group) { fixedGroup_ = group; }

  private:
    XkbKeyboardLayout(xkb_context* context, xkb_keymap* keymap);

    void followDisplayChanges() const;
    void findLatinGroups() const;
    std::uint32_t activeGroup() const;
    // The layout and group that name keys now (see the class comment).
    const XkbKeyboardLayout* namingLayout(std::uint32_t& group) const;
    std::optional<std::string> characterInGroup(std::uint16_t virtualKeyCode,
                                                std::uint32_t group) const;

    xkb_context* context_;
    mutable xkb_keymap* keymap_;
    std::uint32_t fixedGroup_ = 0;
    xcb_connection_t* connection_ = nullptr;
    std::int32_t deviceId_ = -1;
    mutable std::vector<std::uint32_t> latinGroups_;
    mutable std::unique_ptr<XkbKeyboardLayout> usFallback_;
};

}  // namespace pindrake::platform
