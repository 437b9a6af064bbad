#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "foundation/ManualScheduler.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Registry.h"

// Real hot keys on the test display, pressed by xdotool.
namespace pindrake::GlobalShortcuts {
namespace {

using namespace std::chrono_literals;
using platform::HotKeyBackend;
using platform::XcbHotKeyBackend;

constexpr std::uint16_t shiftMask = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t superMask = XCB_MOD_MASK_4;  // where the test server keeps Super

// Another X client, to see which combinations we hold.
class OtherClient {
  public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~OtherClient() { xcb_disconnect(connection_); }

    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* reply = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr);
        xcb_keycode_t found = 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int i = 0; i < count * reply->keysyms_per_keycode && !found; ++i) {
            if (syms[i] == keysym)
                found = setup->min_keycode + i / reply->keysyms_per_keycode;
        }
        std::free(reply);
        return found;
    }

    // Grabs (and keeps) the combination; false when someone else holds it.
    bool grab(xcb_keysym_t keysym, std::uint16_t modifiers) {
        auto* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 0, root_, modifiers, keycode(keysym),
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const bool granted = !error;
        std::free(error);
        return granted;
    }
    // Returns once the server has let go, so that other connections see it at once.
    void ungrab(xcb_keysym_t keysym, std::uint16_t modifiers) {
        xcb_ungrab_key(connection_, keycode(keysym), root_, modifiers);
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    bool canGrab(xcb_keysym_t keysym, std::uint16_t modifiers) {
        if (!grab(keysym, modifiers))
            return false;
        ungrab(keysym, modifiers);
        return true;
    }

    std::uint8_t lockedModifiers() {
        xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
            connection_, xcb_xkb_use_extension(connection_, 1, 0), nullptr);
        std::free(use);
        auto* state = xcb_xkb_get_state_reply(
            connection_, xcb_xkb_get_state(connection_, XCB_XKB_ID_USE_CORE_KBD), nullptr);
        const std::uint8_t locked = state ? state->lockedMods : 0;
        std::free(state);
        return locked;
    }

  private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

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

    void xdotool(const std::string& arguments) {
        ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
    }

    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            queue.waitForPost(20ms);
            queue.runUntilIdle();
        }
        return true;
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

TEST_F(XcbHotKeys, ShiftSuperVRunsTheKeyUpActionExactlyOnce) {
    EXPECT_TRUE(registry->isEnabled(toggle));
    xdotool("key shift+super+v");
    settle();
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
}

TEST_F(XcbHotKeys, ReleasingShiftFirstStillEndsThePressOnce) {
    xdotool("keydown shift+super+v keyup shift keyup super");
    ASSERT_TRUE(runUntil([&] { return downs == 1; }));
    EXPECT_EQ(ups, 0);
    xdotool("keyup v");
    settle();
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
}

TEST_F(XcbHotKeys, AHeldKeyFiresOnce) {
    // Longer than the server's auto-repeat delay.
    xdotool("keydown shift+super+v sleep 1 keyup v keyup super keyup shift");
    settle();
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
}

TEST_F(XcbHotKeys, NumLockAndCapsLockDoNotGetInTheWay) {
    OtherClient other;
    for (const char* lock : {"Num_Lock", "Caps_Lock"}) {
        const std::uint8_t before = other.lockedModifiers();
        xdotool(std::string("key ") + lock);
        ASSERT_NE(other.lockedModifiers(), before) << lock << " did not lock";
        xdotool("key shift+super+v");
        settle();
        xdotool(std::string("key ") + lock);
        ASSERT_EQ(other.lockedModifiers(), before);
    }
    EXPECT_EQ(ups, 2);
}

TEST_F(XcbHotKeys, AChangedShortcutLetsGoOfTheOldCombination) {
    OtherClient other;
    EXPECT_FALSE(other.canGrab('v', shiftMask | superMask));

    registry->setShortcut(Shortcut(Key::b, ModifierFlag::shift | ModifierFlag::command), toggle);
    EXPECT_TRUE(other.canGrab('v', shiftMask | superMask));
    EXPECT_FALSE(other.canGrab('b', shiftMask | superMask));
    EXPECT_FALSE(other.canGrab('b', shiftMask | superMask | XCB_MOD_MASK_LOCK));

    xdotool("key shift+super+v");
    xdotool("key shift+super+b");
    settle();
    EXPECT_EQ(ups, 1);
}

TEST_F(XcbHotKeys, ACombinationHeldByAnotherClientIsTaken) {
    OtherClient other;
    ASSERT_TRUE(other.grab('k', shiftMask | superMask));
    const Shortcut shiftCommandK(Key::k, ModifierFlag::shift | ModifierFlag::command);
    EXPECT_TRUE(registry->isTakenBySystem(shiftCommandK));
    // Our own hot keys are not the system's.
    EXPECT_FALSE(registry->isTakenBySystem(Shortcut(9, 768)));

    testing::internal::CaptureStdout();
    registry->setShortcut(shiftCommandK, toggle);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘K: -9878\n");
    EXPECT_FALSE(registry->isEnabled(toggle));

    // Once the other client lets go, enabling tries again and wins.
    other.ungrab('k', shiftMask | superMask);
    registry->enable({toggle});
    EXPECT_TRUE(registry->isEnabled(toggle));
}

TEST_F(XcbHotKeys, TheFunctionModifierAndUnknownKeysCannotBeGrabbed) {
    EXPECT_EQ(backend->registerHotKey(100, 9, 0x20000), HotKeyBackend::statusInvalid);
    EXPECT_EQ(backend->registerHotKey(101, Key::function.rawValue, 0x100),
              HotKeyBackend::statusInvalid);
    EXPECT_EQ(backend->registerHotKey(102, 0x10000, 0x100), HotKeyBackend::statusInvalid);
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
