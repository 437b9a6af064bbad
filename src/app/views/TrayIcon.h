#pragma once

#include <QMenu>
#include <QSystemTrayIcon>

#include <utility>
#include <vector>

#include "app/model/MenuBarMenu.h"
#include "platform/linux/XkbKeyboardLayout.h"

namespace pindrake::app::views {

// The tray icon and its menu, rebuilt from the menu's entries each time it opens, each with its
// key named as the desktop names keys. While the menu is open, those keys choose their items.
// Where the desktop has no tray nothing shows, and the hot key still opens the history.
class TrayIcon final : public QObject {
    Q_OBJECT
  public:
    TrayIcon(MenuBarMenu& menu, const platform::XkbKeyboardLayout& layout, const QIcon& icon);
    QMenu& menu() { return menu_; }
    void rebuild();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MenuBarMenu& entries_;
    const platform::XkbKeyboardLayout& layout_;
    QMenu menu_;
    QSystemTrayIcon tray_;
    // Each item's key as the user holds it.
    std::vector<std::pair<GlobalShortcuts::Shortcut, QAction*>> keys_;
};

}  // namespace pindrake::app::views
