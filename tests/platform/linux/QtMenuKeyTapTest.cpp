#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include <memory>

#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/QtMenuKeyTap.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Registry.h"

namespace pindrake::GlobalShortcuts {
namespace {

// X key codes of the evdev keymap, as Qt hands them out for native scan codes.
constexpr quint32 keycodeV = 55;
constexpr quint32 keycodeB = 56;

void send(QWidget& target, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
          quint32 scanCode, bool autoRepeat = false) {
    const QString text =
        modifiers == Qt::NoModifier ? QKeySequence(key).toString().toLower() : QString();
    QKeyEvent event(type, key, modifiers, scanCode, 0, 0, text, autoRepeat);
    QApplication::sendEvent(&target, &event);
}

// Counts the key events that get past the application's filters to the menu itself.
class KeyCounter : public QObject {
  public:
    int keys = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            ++keys;
        return false;
    }
};

class QtMenuKeyTapTest : public ::testing::Test {
  protected:
    QtMenuKeyTapTest() {
        menu.installEventFilter(&menuKeys);
        registry.declare(Name::toggleHistory());
        registry.onKeyDown(Name::toggleHistory(), [this] { ++downs; });
        registry.onKeyUp(Name::toggleHistory(), [this] { ++ups; });
        QObject::connect(menu.addAction("&Visit"), &QAction::triggered, [this] { ++visits; });
    }

    platform::InMemoryDefaults defaults;
    platform::FakeHotKeyBackend backend;
    std::unique_ptr<platform::XkbKeyboardLayout> layout =
        platform::XkbKeyboardLayout::fromNames("us");
    Registry registry{defaults, backend, *layout};
    platform::QtMenuKeyTap tap{
        *layout,
        {[this](bool open) {
             open ? registry.menuDidBeginTracking() : registry.menuDidEndTracking();
         },
         [this](bool pressed, std::uint16_t keyCode, std::uint32_t modifiers) {
             return registry.handleKeyEventWhileMenuOpen(
                 pressed ? EventType::keyDown : EventType::keyUp, Shortcut(keyCode, modifiers));
         }}};
    QMenu menu;
    KeyCounter menuKeys;
    int downs = 0;
    int ups = 0;
    int visits = 0;
};

TEST_F(QtMenuKeyTapTest, TheHotKeyWorksWhileAMenuIsOpenAndTheMenuNeverSeesIt) {
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(registry.isMenuOpen());
    EXPECT_TRUE(backend.held().empty());

    const auto superShift = Qt::MetaModifier | Qt::ShiftModifier;
    send(menu, QEvent::KeyPress, Qt::Key_V, superShift, keycodeV);
    send(menu, QEvent::KeyPress, Qt::Key_V, superShift, keycodeV, /*autoRepeat=*/true);
    // Shift let go first: the release still ends the shortcut.
    send(menu, QEvent::KeyRelease, Qt::Key_V, Qt::MetaModifier, keycodeV);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(menuKeys.keys, 0);
    EXPECT_TRUE(menu.isVisible());

    // Other keys reach the menu: "v" picks its item, which closes it.
    send(menu, QEvent::KeyPress, Qt::Key_B, superShift, keycodeB);
    send(menu, QEvent::KeyPress, Qt::Key_V, Qt::NoModifier, keycodeV);
    EXPECT_EQ(menuKeys.keys, 2);
    EXPECT_EQ(visits, 1);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_FALSE(registry.isMenuOpen());
    EXPECT_EQ(backend.held().size(), 1u);
    EXPECT_EQ(downs, 1);
}

TEST_F(QtMenuKeyTapTest, OutsideMenusOnlyTheEndOfAPressTakenInAMenuIsHandled) {
    const auto superShift = Qt::MetaModifier | Qt::ShiftModifier;
    QWidget window;
    send(window, QEvent::KeyPress, Qt::Key_V, superShift, keycodeV);
    EXPECT_EQ(downs, 0) << "the hot key serves presses outside menus";

    registry.onKeyDown(Name::toggleHistory(), [this] { menu.hide(); });
    menu.popup(QPoint(10, 10));
    send(menu, QEvent::KeyPress, Qt::Key_V, superShift, keycodeV);
    ASSERT_FALSE(registry.isMenuOpen());
    // The hot key is grabbed again, but the server never gives it a key that is already down.
    send(window, QEvent::KeyRelease, Qt::Key_V, superShift, keycodeV);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
