#include "platform/linux/QtMenuKeyTap.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include "platform/HotKeyBackend.h"
#include "platform/linux/XkbKeyboardLayout.h"

namespace pindrake::platform {

namespace {

// Qt names Super "Meta" on X11; the stored shortcuts call it Command.
std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers) {
    std::uint32_t carbon = 0;
    if (modifiers & Qt::MetaModifier)
        carbon |= CarbonModifier::command;
    if (modifiers & Qt::ShiftModifier)
        carbon |= CarbonModifier::shift;
    if (modifiers & Qt::AltModifier)
        carbon |= CarbonModifier::option;
    if (modifiers & Qt::ControlModifier)
        carbon |= CarbonModifier::control;
    return carbon;
}

}  // namespace

QtMenuKeyTap::QtMenuKeyTap(const XkbKeyboardLayout& layout, Handlers handlers)
    : layout_(layout), handlers_(std::move(handlers)) {
    QCoreApplication::instance()->installEventFilter(this);
}

QtMenuKeyTap::~QtMenuKeyTap() {
    if (auto* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool QtMenuKeyTap::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            if (auto* menu = qobject_cast<QMenu*>(watched); menu && menu->isWindow()) {
                menuShown(menu);
            }
            return false;
        case QEvent::Hide:
            if (openMenus_.contains(watched))
                menuHidden(watched);
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            break;
        default:
            return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const std::uint32_t scanCode = key->nativeScanCode();
    if (event->type() == QEvent::KeyRelease) {
        // The press was ours, so its release is too, even once its action closed the menus.
        auto it = pressed_.find(scanCode);
        if (it == pressed_.end())
            return false;
        if (key->isAutoRepeat())
            return true;
        const std::uint32_t modifiers = it->second;
        pressed_.erase(it);
        if (auto keyCode = layout_.virtualKeyCodeForKeycode(scanCode)) {
            handlers_.keyEvent(false, *keyCode, modifiers);
        }
        return true;
    }
    // A held hot key repeats; it has run already and the menu must not see the repeats either.
    if (key->isAutoRepeat() && pressed_.contains(scanCode))
        return true;
    if (openMenus_.isEmpty())
        return false;
    const auto keyCode = layout_.virtualKeyCodeForKeycode(scanCode);
    if (!keyCode)
        return false;
    const std::uint32_t modifiers = carbonModifiers(key->modifiers());
    if (!handlers_.keyEvent(true, *keyCode, modifiers))
        return false;
    pressed_[scanCode] = modifiers;
    return true;
}

void QtMenuKeyTap::menuShown(QObject* menu) {
    if (openMenus_.contains(menu))
        return;
    const bool first = openMenus_.isEmpty();
    openMenus_.insert(menu);
    // A menu destroyed while open never sends its Hide.
    connect(menu, &QObject::destroyed, this, [this, menu] {
        if (openMenus_.contains(menu))
            menuHidden(menu);
    });
    if (first)
        handlers_.menuTrackingChanged(true);
}

void QtMenuKeyTap::menuHidden(QObject* menu) {
    openMenus_.remove(menu);
    disconnect(menu, &QObject::destroyed, this, nullptr);
    if (!openMenus_.isEmpty())
        return;
    handlers_.menuTrackingChanged(false);
}

}  // namespace pindrake::platform
