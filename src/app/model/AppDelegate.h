#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "app/model/ApplicationShell.h"
#include "app/model/HistoryViewModel.h"
#include "app/model/PanelController.h"
#include "app/model/PanelWindow.h"
#include "app/model/UpdaterViewModel.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/PasteService.h"
#include "foundation/Scheduler.h"
#include "platform/Defaults.h"
#include "platform/ImageCodec.h"
#include "platform/KeySynth.h"
#include "platform/LoginItems.h"
#include "platform/Pasteboard.h"
#include "platform/Updater.h"
#include "platform/Workspace.h"
#include "shortcuts/Registry.h"

namespace pindrake::app {

// The application's spine: makes the long-lived services, wires them together once launching
// has finished, and stops capturing at the end. Main thread only.
class AppDelegate {
  public:
    struct Services {
        Scheduler& main;
        platform::Defaults& defaults;
        platform::Pasteboard& pasteboard;
        platform::Workspace& workspace;
        // Shared with the capture checks, which may still run at quit.
        std::shared_ptr<const platform::ImageCodec> imageCodec;
        platform::KeySynth& keySynth;
        platform::LoginItems& loginItems;
        platform::Updater& updater;
        GlobalShortcuts::Registry& shortcuts;
        PanelWindow& panelWindow;
        ApplicationShell& shell;
        const converters::ConversionServices& conversion;
        // Runs a job off the main queue: where each copy is checked before it is captured.
        std::function<void(std::function<void()>)> captureChecks;
        // Runs a job off the main queue: where an entry is read, to paste or copy it or as a
        // conversion's input.
        std::function<void(std::function<void()>)> entryReads;
        HistoryViewModel::CandidateSource candidates = &converters::Converters::candidates;
    };

    static constexpr std::string_view hasLaunchedBeforeKey = "hasLaunchedBefore";

    // Loads the history from `historyDirectory`.
    AppDelegate(Services services, std::filesystem::path historyDirectory);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // Shows the panel, or hides it (bringing back the application that was in front) when it
    // shows. Does nothing before launching has finished.
    void togglePanel();

    clipboard::HistoryStore& historyStore() { return historyStore_; }
    UpdaterViewModel& updaterViewModel() { return updaterViewModel_; }
    GlobalShortcuts::Registry& shortcuts() { return services_.shortcuts; }
    // Made on first use.
    HistoryViewModel& viewModel();
    // None until launching has finished.
    PanelController* panelController() const { return panelController_.get(); }
    clipboard::ClipboardMonitor* clipboardMonitor() const { return clipboardMonitor_.get(); }

  private:
    Services services_;
    clipboard::HistoryStore historyStore_;
    UpdaterViewModel updaterViewModel_;
    clipboard::PasteService pasteService_;
    std::shared_ptr<HistoryViewModel> viewModel_;
    std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor_;
    std::shared_ptr<PanelController> panelController_;
    // Handlers given to longer-lived services check it, so they do nothing once we are gone.
    std::shared_ptr<AppDelegate*> self_ = std::make_shared<AppDelegate*>(this);
};

}  // namespace pindrake::app
