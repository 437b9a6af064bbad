#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ManualScheduler.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Registry.h"
#include "shortcuts/ShortcutDescription.h"
#include "support/MainQueueWaits.h"
#include "support/OtherXClient.h"

// Real hot keys on the test display, pressed by xdotool.
namespace pindrake::GlobalShortcuts {
namespace {

using namespace std::chrono_literals;
using platform::HotKeyBackend;
using platform::XcbHotKeyBackend;
using test_support::OtherClient;

constexpr std::uint16_t shiftMask = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t superMask = XCB_MOD_MASK_4;  // where the test server keeps Super

const Name& toggle = Name::toggleHistory();
// Pressed after a scenario: its release arriving means every earlier event has been handled,
// since the server delivers our events in order.
const Name marker("marker", Shortcut(Key::m, ModifierFlag::shift | ModifierFlag::command));

class XcbHotKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = XcbHotKeyBackend::connect(queue);
        ASSERT_TRUE(backend) << "no X display";
        layout = platform::XkbKeyboardLayout::forDisplay();
        registry = std::make_unique<Registry>(defaults, *backend, *layout);
        registry->declare(toggle);
        registry->onKeyDown(toggle, [this] { ++downs; });
        registry->onKeyUp(toggle, [this] { ++ups; });
        registry->declare(marker);
        registry->onKeyUp(marker, [this] { ++markers; });
    }

    // The display's key code for a key, as the other client needs it.
    xcb_keycode_t keycodeOf(Key key) const {
        for (std::uint32_t keycode = 8; keycode <= 255; ++keycode) {
            if (layout->virtualKeyCodeForKeycode(keycode) == key.rawValue)
                return static_cast<xcb_keycode_t>(keycode);
        }
        ADD_FAILURE() << "no key code for " << key.rawValue;
        return 0;
    }

    // Shift+Super+<key> typed by key codes, which stay put whatever the layout.
    void typeShiftSuper(OtherClient& other, Key key) {
        other.type({keycodeOf(Key::shift), keycodeOf(Key::command), keycodeOf(key)});
    }

    // Types Shift+Super+<key> again and again until `fired` holds: the backend follows a mapping
    // change on its own time, and a press before that reaches no grab. How many times it typed;
    // none when it never fired (within a generous bound).
    int typeUntil(OtherClient& other, Key key, const std::function<bool()>& fired) {
        const auto giveUp = std::chrono::steady_clock::now() + test_support::mustFinishWithin;
        int typed = 0;
        while (!fired()) {
            if (std::chrono::steady_clock::now() > giveUp)
                return 0;
            typeShiftSuper(other, key);
            ++typed;
            runUntil(fired, 200ms);
        }
        return typed;
    }

    // A press may fire after the next one was typed, so what must hold is that some press of the
    // hot key fired, each at most once, down and up alike. The marker, typed after them and back,
    // shows every one of them handled: the server sends our events in order.
    bool typeUntilToggled(OtherClient& other, Key key) {
        const int downsBefore = downs;
        const int upsBefore = ups;
        const int markersBefore = markers;
        const int typed = typeUntil(other, key, [&] { return ups > upsBefore; });
        if (typed == 0 || typeUntil(other, Key::m, [&] { return markers > markersBefore; }) == 0)
            return false;
        return ups - upsBefore <= typed && downs - downsBefore == ups - upsBefore;
    }

    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = test_support::mustFinishWithin) {
        return test_support::runUntil(queue, done, limit);
    }

    void xdotool(const std::string& arguments) {
        ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
    }

    // Everything xdotool sent so far has been handled once the marker comes back.
    void settle() {
        const int expected = markers + 1;
        xdotool("key shift+super+m");
        ASSERT_TRUE(runUntil([&] { return markers == expected; }));
    }

    ManualScheduler queue;
    platform::InMemoryDefaults defaults;
    std::unique_ptr<XcbHotKeyBackend> backend;
    std::unique_ptr<platform::XkbKeyboardLayout> layout;
    std::unique_ptr<Registry> registry;
    int downs = 0;
    int ups = 0;
    int markers = 0;
};

TEST_F(XcbHotKeys, EachWayOfPressingShiftSuperVRunsTheKeyUpActionExactlyOnce) {
    EXPECT_TRUE(registry->isEnabled(toggle));
    OtherClient other;
    const struct {
        const char* lock;     // toggled on around the press when set
        const char* press;    // leaves V down when `release` is set
        const char* release;  // only the release of V ends the press
    } rows[] = {
        {nullptr, "key shift+super+v", nullptr},
        {nullptr, "keydown shift+super+v keyup shift keyup super", "keyup v"},
        // Held longer than the server's auto-repeat delay.
        {nullptr, "keydown shift+super+v sleep 1", "keyup v keyup super keyup shift"},
        {"Num_Lock", "key shift+super+v", nullptr},
        {"Caps_Lock", "key shift+super+v", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.press);
        downs = ups = 0;
        const std::uint16_t before = other.modifierState();
        if (row.lock) {
            xdotool(std::string("key ") + row.lock);
            ASSERT_NE(other.modifierState(), before) << row.lock << " did not lock";
        }
        xdotool(row.press);
        if (row.release) {
            ASSERT_TRUE(runUntil([&] { return downs == 1; }));
            EXPECT_EQ(ups, 0);
            xdotool(row.release);
        }
        settle();
        EXPECT_EQ(downs, 1);
        EXPECT_EQ(ups, 1);
        if (row.lock)
            xdotool(std::string("key ") + row.lock);
        ASSERT_EQ(other.modifierState(), before);
    }
}

// Only the current combination is held; what no key press can make is refused.
TEST_F(XcbHotKeys, AChangedShortcutLetsGoOfTheOldCombinationAndUnknownKeysAreRefused) {
    OtherClient other;
    EXPECT_FALSE(other.canGrab(keycodeOf(Key::v), shiftMask | superMask));

    registry->setShortcut(Shortcut(Key::b, ModifierFlag::shift | ModifierFlag::command), toggle);
    EXPECT_TRUE(other.canGrab(keycodeOf(Key::v), shiftMask | superMask));
    EXPECT_FALSE(other.canGrab(keycodeOf(Key::b), shiftMask | superMask));
    EXPECT_FALSE(other.canGrab(keycodeOf(Key::b), shiftMask | superMask | XCB_MOD_MASK_LOCK));

    xdotool("key shift+super+v");
    xdotool("key shift+super+b");
    settle();
    EXPECT_EQ(ups, 1);

    for (const auto& [keyCode, modifiers] : {std::pair<std::uint32_t, std::uint32_t>{9, 0x20000},
                                             {Key::function.rawValue, 0x100},
                                             {0x10000, 0x100}})
        EXPECT_EQ(backend->registerHotKey(100, keyCode, modifiers), HotKeyBackend::statusInvalid)
            << keyCode;
}

TEST_F(XcbHotKeys, CombinationsHeldElsewhereAreRefusedWholeAndProbesLeaveNoGrabBehind) {
    OtherClient other;
    const xcb_keycode_t k = keycodeOf(Key::k);
    const xcb_keycode_t j = keycodeOf(Key::j);
    const std::uint16_t numLock = XCB_MOD_MASK_2;  // where the test server keeps NumLock
    const std::uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                          XCB_MOD_MASK_LOCK | numLock};

    // Checking a free combination grabs it for a moment; it must be given back, or every
    // combination the recorder merely checks would go dead for all programs.
    EXPECT_FALSE(
        registry->isTakenBySystem(Shortcut(Key::j, ModifierFlag::shift | ModifierFlag::command)));
    for (auto lock : lockVariants)
        EXPECT_TRUE(other.canGrab(j, shiftMask | superMask | lock)) << lock;
    // Our own hot keys are not the system's.
    EXPECT_FALSE(registry->isTakenBySystem(Shortcut(9, 768)));

    // Another client holds only the CapsLock variant: ours is refused whole, said once, and the
    // variants it did get are let go again.
    ASSERT_TRUE(other.grab(k, shiftMask | superMask | XCB_MOD_MASK_LOCK));
    const Shortcut shiftCommandK(Key::k, ModifierFlag::shift | ModifierFlag::command);
    EXPECT_TRUE(registry->isTakenBySystem(shiftCommandK));
    testing::internal::CaptureStdout();
    registry->setShortcut(shiftCommandK, toggle);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘K: -9878\n");
    EXPECT_FALSE(registry->isEnabled(toggle));
    for (auto lock : {lockVariants[0], lockVariants[2], lockVariants[3]})
        EXPECT_TRUE(other.canGrab(k, shiftMask | superMask | lock)) << lock;

    // Once the other client lets go, enabling tries again and wins.
    other.ungrab(k, shiftMask | superMask | XCB_MOD_MASK_LOCK);
    registry->enable({toggle});
    EXPECT_TRUE(registry->isEnabled(toggle));
}

// Which group names the keys has its own table without a display; here, names and grabs follow
// each switch as it happens.
TEST_F(XcbHotKeys, KeyNamesAndGrabsFollowLiveLayoutChanges) {
    OtherClient other;
    const struct {
        const char* layouts;
        const char* shownAs;  // Shift+Super+Y
    } rows[] = {
        {"de", "⇧⌘Z"},
        {"ru", "⇧⌘Y"},
        {"ru,de", "⇧⌘Z"},
        {"us", "⇧⌘Y"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layouts);
        ASSERT_EQ(std::system((std::string("setxkbmap -layout ") + row.layouts).c_str()), 0);
        EXPECT_EQ(
            description(Shortcut(Key::y, ModifierFlag::shift | ModifierFlag::command), *layout),
            row.shownAs);
        EXPECT_TRUE(typeUntilToggled(other, Key::v));
    }
}

TEST_F(XcbHotKeys, GrabsFollowSuperMovingToAnotherModifier) {
    OtherClient other;
    constexpr int mod3 = 5;
    constexpr int mod4 = 6;
    other.swapModifiers(mod3, mod4);
    EXPECT_TRUE(typeUntilToggled(other, Key::v)) << "Super on Mod3";
    // The grab under the old mapping is gone.
    EXPECT_TRUE(other.canGrab(keycodeOf(Key::v), shiftMask | superMask));
    other.swapModifiers(mod3, mod4);
    EXPECT_TRUE(typeUntilToggled(other, Key::v)) << "Super back on Mod4";
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
