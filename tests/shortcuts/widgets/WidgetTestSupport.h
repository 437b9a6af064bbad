#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "foundation/Localization.h"
#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/widgets/RecorderControl.h"

#include "support/QtEventLoop.h"

namespace pindrake::GlobalShortcuts::test_support {

// X key codes of the evdev keymap, as Qt hands them out for native scan codes on X11.
namespace scanCode {
inline constexpr quint32 escape = 9;
inline constexpr quint32 backspace = 22;
inline constexpr quint32 tab = 23;
inline constexpr quint32 a = 38;
inline constexpr quint32 k = 45;
inline constexpr quint32 leftShift = 50;
inline constexpr quint32 leftSuper = 133;
}  // namespace scanCode

inline constexpr platform::FakeHotKeyBackend::Combination shiftCommandV{9, 768};
inline constexpr platform::FakeHotKeyBackend::Combination shiftCommandK{40, 768};

// A key press as the X11 platform delivers it, to whichever widget has the focus.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, nativeScanCode, 0, 0);
    QWidget* target = QApplication::focusWidget();
    QApplication::sendEvent(target ? static_cast<QObject*>(target) : qApp, &event);
}

// Shows `window` and waits until it is the active one; false when it never becomes so.
inline bool showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, ::pindrake::test_support::scaledMs(5000));
}

// Answers the first message box that shows in `window`: `answer` runs inside the box's modal
// run, once the box is up.
class AlertAnswerer {
  public:
    AlertAnswerer(QWidget& window, std::function<void(QMessageBox&)> answer) {
        QObject::connect(&polling_, &QTimer::timeout, [this, &window, answer = std::move(answer)] {
            auto* box = window.findChild<QMessageBox*>();
            if (!box || !box->isVisible())
                return;
            polling_.stop();
            answer(*box);
        });
        polling_.start(5);
    }

  private:
    QTimer polling_;
};

// Clicks the box's button with that text; without one, the test fails and the box closes.
inline void clickButton(QMessageBox& box, const QString& text) {
    for (auto* button : box.buttons()) {
        if (button->text() == text)
            return button->click();
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    box.done(0);
}

// What a recorder needs, with key codes from `layout` and beeps counted in `beeps`.
inline RecorderServices recorderServices(Registry& registry,
                                         const platform::XkbKeyboardLayout& layout, int& beeps) {
    return {registry,
            layout,
            [&layout](quint32 code) -> std::optional<int> {
                if (auto keyCode = layout.virtualKeyCodeForKeycode(code))
                    return *keyCode;
                return std::nullopt;
            },
            {},
            [&beeps] { ++beeps; }};
}

// The application's shortcuts over fakes, on a US keyboard, with English texts.
class ShortcutsFixture {
  public:
    ShortcutsFixture() {
        ::setenv("LANGUAGE", "en", 1);
        ::setenv("LC_ALL", "C.UTF-8", 1);
        setUpLocalization("pindrake");
        registry.declare(Name::toggleHistory());
        registry.onKeyUp(Name::toggleHistory(), [this] { ++toggled; });
    }

    RecorderServices services() { return recorderServices(registry, *layout, beeps); }

    // Whether the global hot key runs its action now.
    bool hotKeyWorks() {
        const int before = toggled;
        backend.pressAndRelease(shiftCommandV);
        return toggled == before + 1;
    }

    platform::InMemoryDefaults defaults;
    platform::FakeHotKeyBackend backend;
    std::unique_ptr<platform::XkbKeyboardLayout> layout =
        platform::XkbKeyboardLayout::fromNames("us");
    Registry registry{defaults, backend, *layout};
    int toggled = 0;
    int beeps = 0;
};

}  // namespace pindrake::GlobalShortcuts::test_support
