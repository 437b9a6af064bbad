#pragma once

#include <QObject>
#include <QSet>

#include <cstdint>
#include <functional>
#include <map>

namespace pindrake::platform {

class XkbKeyboardLayout;

// Key events that reach the application while one of its menus is open. An open menu grabs
// the keyboard, so global hot keys stay silent meanwhile; the tap offers those events instead,
// and swallows the ones that turn out to be hot keys so the menu never acts on them.
class QtMenuKeyTap final : public QObject {
    Q_OBJECT
  public:
    struct Handlers {
        // True when the first menu opens, false when the last one closes.
        std::function<void(bool open)> menuTrackingChanged;
        // Returns whether the event was a hot key. A release carries the modifiers of its
        // press, so letting go of Shift before V still ends the same shortcut.
        std::function<bool(bool pressed, std::uint16_t keyCode, std::uint32_t carbonModifiers)>
            keyEvent;
    };

    // Watches the whole application (qApp) until destroyed.
    QtMenuKeyTap(const XkbKeyboardLayout& layout, Handlers handlers);
    ~QtMenuKeyTap() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void menuShown(QObject* menu);
    void menuHidden(QObject* menu);

    const XkbKeyboardLayout& layout_;
    Handlers handlers_;
    QSet<QObject*> openMenus_;
    // The modifiers of each hot-key press, by native scan code, until its release.
    std::map<std::uint32_t, std::uint32_t> pressed_;
};

}  // namespace pindrake::platform
