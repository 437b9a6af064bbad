#pragma once

#include <QMenu>
#include <QSystemTrayIcon>

#include "app/model/MenuBarMenu.h"
#include "platform/KeyboardLayout.h"

namespace pindrake::app::views {

// The tray icon and its menu, rebuilt from the menu's entries each time it opens, each with its
// key named as the desktop names keys. Where the desktop has no tray nothing shows, and the hot
// key still opens the history.
class TrayIcon final : public QObject {
    Q_OBJECT
  public:
    TrayIcon(MenuBarMenu& menu, const platform::KeyboardLayout& layout, const QIcon& icon);
    QMenu& menu() { return menu_; }
    void rebuild();

  private:
    MenuBarMenu& entries_;
    const platform::KeyboardLayout& layout_;
    QMenu menu_;
    QSystemTrayIcon tray_;
};

}  // namespace pindrake::app::views
