#include "ShellFixture.h"

// The hot key's keys that an open menu of the app hands over: they toggle the panel like the
// grabbed hot key does, and nothing while a shortcut recorder records.
namespace pindrake::app::test {
namespace {

using GlobalShortcuts::EventType;

class HotKeyDispatchTest : public ShellFixture {
  protected:
    // One press and release of the hot key reaching an open menu.
    bool pressThroughMenu() {
        const GlobalShortcuts::Shortcut pressed(9, 0x300);
        const bool down = shortcuts.handleKeyEventWhileMenuOpen(EventType::keyDown, pressed);
        const bool up = shortcuts.handleKeyEventWhileMenuOpen(EventType::keyUp, pressed);
        return down && up;
    }
};

TEST_F(HotKeyDispatchTest, KeysAnOpenMenuHandsOverToggleThePanelUnlessARecorderRecords) {
    launch();
    shortcuts.menuDidBeginTracking();
    EXPECT_TRUE(hotKeys.held().empty());
    EXPECT_TRUE(pressThroughMenu()) << "the menu must not see the hot key";
    EXPECT_TRUE(delegate->panelController()->isShowing());
    EXPECT_TRUE(pressThroughMenu());
    EXPECT_FALSE(delegate->panelController()->isShowing());

    shortcuts.setPausedForRecording(true);
    pressThroughMenu();
    EXPECT_FALSE(delegate->panelController()->isShowing()) << "a recording ran the hot key";
    shortcuts.setPausedForRecording(false);
    pressThroughMenu();
    EXPECT_TRUE(delegate->panelController()->isShowing());
}

}  // namespace
}  // namespace pindrake::app::test
