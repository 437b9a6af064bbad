#include "app/views/TrayIcon.h"

#include "foundation/Localization.h"

namespace pindrake::app::views {

TrayIcon::TrayIcon(MenuBarMenu& menu, const QIcon& icon) : entries_(menu) {
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
        QAction* action = menu_.addAction(QString::fromStdString(localized(entry.titleKey)));
        action->setEnabled(entry.isEnabled);
        connect(action, &QAction::triggered, this, [run = entry.action] {
            if (run)
                run();
        });
    }
}

}  // namespace pindrake::app::views
