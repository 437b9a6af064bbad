#include "app/views/TrayIcon.h"

#include <QKeyEvent>

#include "foundation/Localization.h"
#include "shortcuts/DesktopKeyNames.h"
#include "shortcuts/widgets/QtKeys.h"

namespace pindrake::app::views {

using GlobalShortcuts::desktopKeyName;
using GlobalShortcuts::Shortcut;

TrayIcon::TrayIcon(MenuBarMenu& menu, const platform::XkbKeyboardLayout& layout, const QIcon& icon)
    : entries_(menu), layout_(layout) {
    connect(&menu_, &QMenu::aboutToShow, this, &TrayIcon::rebuild);
    menu_.installEventFilter(this);
    rebuild();
    tray_.setIcon(icon);
    tray_.setToolTip(QStringLiteral("Pindrake"));
    tray_.setContextMenu(&menu_);
    connect(&tray_, &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
    tray_.show();
}

void TrayIcon::rebuild() {
    menu_.clear();
    keys_.clear();
    for (auto& entry : entries_.entries()) {
        if (entry.isSeparator) {
            menu_.addSeparator();
            continue;
        }
        std::string title = localized(entry.titleKey);
        // Shown in the menu's key column, where the menu acts on it (see eventFilter). A menu the
        // desktop draws itself (a tray over D-Bus) never passes us its keys: no key is shown.
        if (entry.keyEquivalent && !menu_.platformMenu())
            title += '\t' + desktopKeyName(*entry.keyEquivalent, layout_, entry.keyScope);
        QAction* action = menu_.addAction(QString::fromStdString(title));
        action->setEnabled(entry.isEnabled);
        connect(action, &QAction::triggered, this, [run = entry.action] {
            if (run)
                run();
        });
        if (entry.keyEquivalent) {
            const auto& key = *entry.keyEquivalent;
            keys_.emplace_back(Shortcut(key.key(), GlobalShortcuts::heldModifiers(key.modifiers(),
                                                                                  entry.keyScope)),
                               action);
        }
    }
}

// The open menu holds the keyboard, so no shortcut of the application's windows reaches an item:
// the keys it shows are matched here, by the key pressed, whatever the active layout types.
bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &menu_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto keyCode = layout_.virtualKeyCodeForKeycode(key->nativeScanCode());
    if (!keyCode)
        return false;
    const Shortcut pressed(GlobalShortcuts::Key(*keyCode),
                           GlobalShortcuts::modifierFlags(key->modifiers()));
    for (const auto& [shortcut, action] : keys_) {
        if (shortcut != pressed || !action->isEnabled())
            continue;
        menu_.close();
        action->trigger();
        return true;
    }
    return false;
}

}  // namespace pindrake::app::views
