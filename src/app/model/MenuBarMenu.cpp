#include "app/model/MenuBarMenu.h"

#include "app/model/AppDelegate.h"
#include "app/model/PanelController.h"
#include "shortcuts/Key.h"
#include "shortcuts/Name.h"

namespace pindrake::app {

using GlobalShortcuts::Key;
using GlobalShortcuts::KeyScope;
using GlobalShortcuts::Name;
using GlobalShortcuts::Shortcut;
namespace ModifierFlag = GlobalShortcuts::ModifierFlag;

MenuBarMenu::MenuBarMenu(Scheduler& main, AppDelegate& delegate, ApplicationShell& shell)
    : main_(main), delegate_(delegate), shell_(shell) {}

std::vector<MenuEntry> MenuBarMenu::entries() {
    std::weak_ptr<MenuBarMenu*> weak = self_;
    auto& updater = delegate_.updaterViewModel();
    return {
        // The hot key as it stands now: the user may have recorded another one, or cleared it.
        {false, "open_history", delegate_.shortcuts().getShortcut(Name::toggleHistory()), true,
         [&delegate = delegate_] { delegate.togglePanel(); }, KeyScope::global},
        {false, "settings_ellipsis", Shortcut(Key::comma, ModifierFlag::command), true,
         [this, weak] {
             main_.post([weak] {
                 if (auto self = weak.lock())
                     (*self)->openSettingsWindow();
             });
         }},
        {false, "check_for_updates", std::nullopt, updater.canCheckForUpdates().get(),
         [&updater] { updater.checkForUpdates(); }},
        {true, {}, std::nullopt, true, {}},
        {false, "about_pindrake", std::nullopt, true, [this] { showAbout(); }},
        {false, "quit", Shortcut(Key::q, ModifierFlag::command), true, [this] { quit(); }},
    };
}

void MenuBarMenu::openSettingsWindow() {
    closePanel();
    shell_.activate();
    shell_.openSettingsWindow();
    bringSettingsToFront(0);
}

void MenuBarMenu::showAbout() {
    closePanel();
    shell_.showAbout();
}

// A paste still waiting must not type into the window we open.
void MenuBarMenu::closePanel() {
    delegate_.viewModel().callOffPastes();
    if (auto* panel = delegate_.panelController())
        panel->hidePanel(false);
}

// The settings window may appear only some turns after it was asked for.
void MenuBarMenu::bringSettingsToFront(int attempt) {
    if (shell_.raiseSettingsWindow() || attempt >= settingsRaiseRetries)
        return;
    std::weak_ptr<MenuBarMenu*> weak = self_;
    main_.postAfter(settingsRaiseInterval, [weak, attempt] {
        if (auto self = weak.lock())
            (*self)->bringSettingsToFront(attempt + 1);
    });
}

}  // namespace pindrake::app
