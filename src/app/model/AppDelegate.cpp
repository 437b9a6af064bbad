#include "app/model/AppDelegate.h"

#include "foundation/Log.h"
#include "shortcuts/Name.h"

namespace pindrake::app {

namespace {

// The reads use the store's image codec: each keeps it for as long as it runs, since a read still
// running at quit outlives whoever made the store.
std::function<void(std::function<void()>)> keepingCodec(
    std::function<void(std::function<void()>)> reads,
    std::shared_ptr<const platform::ImageCodec> codec) {
    return [reads = std::move(reads), codec = std::move(codec)](std::function<void()> job) {
        reads([codec, job = std::move(job)] { job(); });
    };
}

}  // namespace

AppDelegate::AppDelegate(Services services, std::filesystem::path historyDirectory)
    : services_(std::move(services)),
      historyStore_(std::move(historyDirectory),
                    {services_.main, services_.defaults, *services_.imageCodec}),
      updaterViewModel_(services_.updater),
      pasteService_({services_.main, services_.pasteboard, services_.keySynth,
                     *services_.imageCodec,
                     keepingCodec(services_.entryReads, services_.imageCodec)}) {}

AppDelegate::~AppDelegate() {
    services_.shortcuts.removeHandler(GlobalShortcuts::Name::toggleHistory());
}

HistoryViewModel& AppDelegate::viewModel() {
    if (!viewModel_) {
        viewModel_ = HistoryViewModel::create(
            {services_.main, historyStore_, pasteService_, services_.keySynth, services_.workspace,
             services_.conversion, keepingCodec(services_.entryReads, services_.imageCodec),
             services_.candidates});
    }
    return *viewModel_;
}

void AppDelegate::applicationDidFinishLaunching() {
    auto& defaults = services_.defaults;
    const bool firstLaunch = !defaults.boolean(hasLaunchedBeforeKey);
    // The flag goes first, so a failed registration is not tried again at every start.
    if (firstLaunch)
        defaults.set(hasLaunchedBeforeKey, true);
    // A login item already there (the user's own, or one kept when the settings were reset) is
    // treated as at any later start.
    if (firstLaunch && !services_.loginItems.exists()) {
        if (const auto error = services_.loginItems.registerApp())
            log::warning("Could not add the login item: " + error.message());
    } else if (const auto error = services_.loginItems.updateRegistration()) {
        log::warning("Could not point the login item at this program: " + error.message());
    }

    std::weak_ptr<AppDelegate*> weak = self_;
    clipboardMonitor_ = clipboard::ClipboardMonitor::create(
        {services_.main, services_.pasteboard, services_.workspace, services_.imageCodec,
         services_.captureChecks},
        [weak](clipboard::ClipboardContent content, const platform::PasteboardContents& offered) {
            if (auto self = weak.lock())
                (*self)->historyStore_.add(std::move(content), offered);
        });
    clipboardMonitor_->start();

    viewModel();
    panelController_ = PanelController::create(
        {services_.main, services_.panelWindow, services_.workspace, services_.shell}, viewModel_,
        clipboardMonitor_);

    services_.shortcuts.declare(GlobalShortcuts::Name::toggleHistory());
    services_.shortcuts.onKeyUp(GlobalShortcuts::Name::toggleHistory(), [weak] {
        if (auto self = weak.lock())
            (*self)->togglePanel();
    });

    if (!services_.keySynth.isTrusted())
        services_.shell.showPasteUnavailableNotice();
}

void AppDelegate::applicationWillTerminate() {
    // What was read from the clipboard reaches the history first: the checks still to end are
    // bounded, and so is the wait for them.
    if (clipboardMonitor_)
        clipboardMonitor_->finishAtQuit();
    // Saves run on the store's writer thread; the last captures must reach the disk before
    // the process ends.
    historyStore_.flush();
}

void AppDelegate::togglePanel() {
    if (!panelController_)
        return;
    if (panelController_->isShowing())
        panelController_->hidePanel(true);
    else
        panelController_->showPanel();
}

}  // namespace pindrake::app
