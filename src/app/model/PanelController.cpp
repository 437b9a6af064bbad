#include "app/model/PanelController.h"

#include <algorithm>

#include "app/model/HistoryViewModel.h"

namespace pindrake::app {

std::shared_ptr<PanelController> PanelController::create(
    Services services, std::shared_ptr<HistoryViewModel> viewModel,
    std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor) {
    return std::shared_ptr<PanelController>(
        new PanelController(services, std::move(viewModel), std::move(clipboardMonitor)));
}

PanelController::PanelController(Services services, std::shared_ptr<HistoryViewModel> viewModel,
                                 std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor)
    : services_(services),
      viewModel_(std::move(viewModel)),
      clipboardMonitor_(std::move(clipboardMonitor)) {}

double PanelController::topEdge(const Rect& screen) {
    return screen.y + screen.height * 0.35 - 60;
}

void PanelController::showPanel() {
    if (!panelCreated_)
        createPanel();
    ++showCount_;
    auto& window = services_.window;
    if (!window.hasContent())
        window.buildContent();
    // Read before we take the focus ourselves.
    previousFrontmostApp_ = services_.workspace.frontmostApplication();
    services_.shell.closeSettingsWindow();
    viewModel_->resetForShow();
    positionPanel();
    std::weak_ptr<PanelController> weak = weak_from_this();
    window.showOverlay([weak] {
        if (auto self = weak.lock())
            self->hidePanel(true);
    });
    window.setAlpha(0);
    services_.shell.activate();
    window.makeKeyAndOrderFront();
    isShowing_ = true;
    window.fadeTo(1, fadeInDuration, Easing::easeOut, [] {});
    // Only what this show still needs: a hide or a newer show since then has settled its own.
    window.afterNextFrame([weak, shown = showCount_] {
        auto self = weak.lock();
        if (self && self->isShowing_ && self->showCount_ == shown)
            self->viewModel_->panelDidAppear();
    });
}

void PanelController::hidePanel(bool reactivatePrevious) {
    if (!isShowing_)
        return;
    isShowing_ = false;
    viewModel_->panelDidHide();
    services_.window.removeOverlay();
    std::weak_ptr<PanelController> weak = weak_from_this();
    const std::uint64_t hiddenAfterShow = showCount_;
    services_.window.fadeTo(0, fadeOutDuration, Easing::easeIn, [weak, hiddenAfterShow] {
        if (auto self = weak.lock())
            self->finishHide(hiddenAfterShow);
    });
    if (reactivatePrevious && previousFrontmostApp_)
        services_.workspace.activate(*previousFrontmostApp_);
    previousFrontmostApp_.reset();
}

// A show that began during the fade owns the window now: ordering it out or dropping its view
// would leave an invisible or empty panel that counts as showing.
void PanelController::finishHide(std::uint64_t hiddenAfterShow) {
    if (showCount_ != hiddenAfterShow)
        return;
    services_.window.orderOut();
    services_.window.setAlpha(1);
    std::weak_ptr<PanelController> weak = weak_from_this();
    services_.main.post([weak, hiddenAfterShow] {
        auto self = weak.lock();
        if (self && self->showCount_ == hiddenAfterShow)
            self->services_.window.releaseContent();
    });
}

void PanelController::updateHeight(double height, std::optional<double> width) {
    std::weak_ptr<PanelController> weak = weak_from_this();
    services_.main.post([weak, height, width] {
        auto self = weak.lock();
        if (!self || !self->panelCreated_ || !self->panelTopY_)
            return;
        const auto screen = self->services_.window.mainScreenFrame();
        if (!screen)
            return;
        const double clamped = std::clamp(height, minimumHeight, maximumHeight);
        const double newWidth = width.value_or(self->services_.window.frame().width);
        self->services_.window.setFrame(
            {screen->midX() - newWidth / 2, *self->panelTopY_, newWidth, clamped});
    });
}

void PanelController::createPanel() {
    std::weak_ptr<PanelController> weak = weak_from_this();
    services_.window.create({0, 0, panelWidth, initialHeight}, [weak] {
        auto self = weak.lock();
        if (!self)
            return;
        self->services_.main.post([weak] {
            if (auto self = weak.lock())
                self->hidePanel(false);
        });
    });
    panelCreated_ = true;
}

void PanelController::positionPanel() {
    const auto screen = services_.window.mainScreenFrame();
    if (!screen)
        return;
    Rect frame = services_.window.frame();
    panelTopY_ = topEdge(*screen);
    frame.x = screen->midX() - frame.width / 2;
    frame.y = *panelTopY_;
    services_.window.setFrame(frame);
}

}  // namespace pindrake::app
