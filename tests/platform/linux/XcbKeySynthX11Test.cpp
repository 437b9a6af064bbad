// The synthesised paste key on a real display: the key each kind of application pastes with,
// and only its own modifiers, whatever the user still holds.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>
#include <xcb/xtest.h>

#include <vector>

#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbKeySynth.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbWorkspace.h"
#include "support/QtEventLoop.h"

namespace pindrake::platform {
namespace {

using test_support::waitUntil;

constexpr xcb_keycode_t evdevAltL = 64;

// Records the paste keys a window receives.
class KeyRecorder : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_V || key->key() == Qt::Key_Insert)
                pressed.emplace_back(key->key(), key->modifiers());
        }
        return false;
    }
    std::vector<std::pair<int, Qt::KeyboardModifiers>> pressed;
};

bool isDown(const XcbConnection& x, xcb_keycode_t code) {
    const auto keymap =
        xcbReply(xcb_query_keymap_reply(x.get(), xcb_query_keymap(x.get()), nullptr));
    return keymap && (keymap->keys[code / 8] & (1u << (code % 8))) != 0;
}

TEST(XcbKeySynthX11Test, PressesTheKeyTheApplicationPastesWithAndRestoresHeldModifiers) {
    if (qgetenv("DISPLAY").isEmpty())
        GTEST_SKIP() << "needs an X display (tests/support/with-x11)";
    XcbConnection user;  // the user's own hands
    XcbWorkspace workspace;
    XcbKeySynth keys(workspace);
    ASSERT_TRUE(keys.isTrusted());

    struct Case {
        std::string windowClass;
        PasteKey expectedKey;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const std::vector<Case> cases = {
        {"Texteditor", PasteKey::controlV, Qt::Key_V, Qt::ControlModifier},
        {"kitty", PasteKey::controlShiftV, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier},
        {"XTerm", PasteKey::shiftInsert, Qt::Key_Insert, Qt::ShiftModifier},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowClass);
        QLineEdit window;
        KeyRecorder recorder;
        window.installEventFilter(&recorder);
        // Qt sets its own class when it makes the native window; ours replaces it before mapping.
        const auto id = static_cast<xcb_window_t>(window.winId());
        const std::string wmClass = std::string("pindrake-test") + '\0' + c.windowClass + '\0';
        user.succeeded(xcb_change_property_checked(
            user.get(), XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
            static_cast<std::uint32_t>(wmClass.size()), wmClass.data()));
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.hasFocus(); }));
        ASSERT_TRUE(waitUntil([&] { return keys.pasteKey() == c.expectedKey; }))
            << workspace.frontmostApplication()->bundleIdentifier.value_or("(none)");

        user.succeeded(xcb_test_fake_input_checked(user.get(), XCB_KEY_PRESS, evdevAltL,
                                                   XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0));
        keys.postPaste(keys.pasteKey());
        EXPECT_TRUE(waitUntil([&] { return !recorder.pressed.empty(); }));
        EXPECT_TRUE(isDown(user, evdevAltL)) << "the held Alt key was not pressed again";
        user.succeeded(xcb_test_fake_input_checked(user.get(), XCB_KEY_RELEASE, evdevAltL,
                                                   XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0));
        EXPECT_EQ(recorder.pressed, (std::vector{std::pair(c.key, c.modifiers)}));
    }
}

}  // namespace
}  // namespace pindrake::platform
