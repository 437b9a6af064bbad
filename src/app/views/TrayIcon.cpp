#include "app/views/TrayIcon.h"

#include "foundation/Localization.h"
#include "shortcuts/DesktopKeyNames.h"

namespace pindrake::app::views {

using GlobalShortcuts::desktopKeyName;

TrayIcon::TrayIcon(MenuBarMenu& menu, const platform::KeyboardLayout& layout, const QIcon& icon)
    : entries_(menu), layout_(layout) {
    connect(&menu_, &QMenu::aboutToShow, this, &TrayIcon::rebuild);
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
    for (auto& entry : entries_.entries()) {
        if (entry.isSeparator) {
            menu_.addSeparator();
            continue;
        }
        std::string title = localized(entry.titleKey);
        // Shown in the menu's key column only: the keys themselves are handled elsewhere.
        if (entry.keyEquivalent)
            title += '\t' + desktopKeyName(*entry.keyEquivalent, layout_, entry.keyScope);
        QAction* action = menu_.addAction(QString::fromStdString(title));
        action->setEnabled(entry.isEnabled);
        connect(action, &QAction::triggered, this, [run = entry.action] {
            if (run)
                run();
        });
    }
}

}  // namespace pindrake::app::views
