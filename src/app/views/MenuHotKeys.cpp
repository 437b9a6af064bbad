#include "app/views/MenuHotKeys.h"

namespace pindrake::app::views {

std::unique_ptr<platform::QtMenuKeyTap> routeMenuKeysToHotKeys(
    GlobalShortcuts::Registry& registry, const platform::XkbKeyboardLayout& layout) {
    using GlobalShortcuts::EventType;
    return std::make_unique<platform::QtMenuKeyTap>(
        layout, platform::QtMenuKeyTap::Handlers{
                    [&registry](bool open) {
                        if (open) {
                            registry.menuDidBeginTracking();
                        } else {
                            registry.menuDidEndTracking();
                        }
                    },
                    [&registry](bool pressed, std::uint16_t keyCode, std::uint32_t modifiers) {
                        return registry.handleKeyEventWhileMenuOpen(
                            pressed ? EventType::keyDown : EventType::keyUp,
                            GlobalShortcuts::Shortcut(keyCode, modifiers));
                    }});
}

}  // namespace pindrake::app::views
