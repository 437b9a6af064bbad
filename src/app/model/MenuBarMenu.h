#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/model/ApplicationShell.h"
#include "foundation/Scheduler.h"
#include "shortcuts/DesktopKeyNames.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::app {

class AppDelegate;

struct MenuEntry {
    bool isSeparator = false;
    // Localisation key of the title.
    std::string titleKey;
    // As the system the stored shortcuts come from names keys; `keyScope` says whether its
    // Command is the app's own Ctrl or the global hot keys' Super.
    std::optional<GlobalShortcuts::Shortcut> keyEquivalent;
    bool isEnabled = true;
    std::function<void()> action;
    GlobalShortcuts::KeyScope keyScope = GlobalShortcuts::KeyScope::inApp;
};

// The tray menu: open the history, settings, update check, about, quit. Main thread only; the
// delegate and the shell outlive it.
class MenuBarMenu {
  public:
    static constexpr int settingsRaiseRetries = 40;
    static constexpr Duration settingsRaiseInterval = std::chrono::milliseconds(100);

    MenuBarMenu(Scheduler& main, AppDelegate& delegate, ApplicationShell& shell);
    MenuBarMenu(const MenuBarMenu&) = delete;
    MenuBarMenu& operator=(const MenuBarMenu&) = delete;

    // The entries as they stand now; build the menu from them each time it opens.
    std::vector<MenuEntry> entries();

    // Both close a shown panel first: it holds the keyboard and stays above every window, and
    // the window opens on top with the keyboard.
    void openSettingsWindow();
    void showAbout();
    void bringSettingsToFront(int attempt);
    void quit() { shell_.terminate(); }

  private:
    void closePanel();

    Scheduler& main_;
    AppDelegate& delegate_;
    ApplicationShell& shell_;
    // Pending retries check it, so they stop once the menu is gone.
    std::shared_ptr<MenuBarMenu*> self_ = std::make_shared<MenuBarMenu*>(this);
};

}  // namespace pindrake::app
