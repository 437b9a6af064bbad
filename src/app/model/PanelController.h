#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "app/model/ApplicationShell.h"
#include "app/model/Geometry.h"
#include "app/model/PanelWindow.h"
#include "clipboard/ClipboardMonitor.h"
#include "foundation/Scheduler.h"
#include "platform/Workspace.h"

namespace pindrake::app {

class HistoryViewModel;

// Owns the history panel: shows it centred in the upper part of the screen with a short fade,
// hides it, follows the height its view reports, and brings back the application that was in
// front before it opened. Main thread only; always owned by a shared pointer, so that window
// callbacks and queued work can tell when it is gone.
class PanelController : public std::enable_shared_from_this<PanelController> {
  public:
    struct Services {
        Scheduler& main;
        PanelWindow& window;
        platform::Workspace& workspace;
        ApplicationShell& shell;
    };

    static constexpr double panelWidth = 788;
    static constexpr double initialHeight = 60;
    static constexpr double minimumHeight = 60;
    static constexpr double maximumHeight = 520;
    static constexpr Duration fadeInDuration = std::chrono::milliseconds(150);
    static constexpr Duration fadeOutDuration = std::chrono::milliseconds(120);

    static std::shared_ptr<PanelController> create(
        Services services, std::shared_ptr<HistoryViewModel> viewModel,
        std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor);
    PanelController(const PanelController&) = delete;
    PanelController& operator=(const PanelController&) = delete;

    void showPanel();
    // Does nothing while hidden. With `reactivatePrevious`, the application that was in front
    // before the show is activated again.
    void hidePanel(bool reactivatePrevious);
    // Reframes the panel on a later turn: the height clamped to 60 ... 520, the top edge kept
    // where the last show put it, centred on the screen.
    void updateHeight(double height, std::optional<double> width = std::nullopt);

    bool isShowing() const { return isShowing_; }
    const std::optional<platform::RunningApplication>& previousFrontmostApp() const {
        return previousFrontmostApp_;
    }
    std::optional<double> panelTopY() const { return panelTopY_; }
    HistoryViewModel& viewModel() const { return *viewModel_; }
    const std::shared_ptr<clipboard::ClipboardMonitor>& clipboardMonitor() const {
        return clipboardMonitor_;
    }

    // The top edge for a screen: 35% down its height, less 60 points.
    static double topEdge(const Rect& screen);

  private:
    PanelController(Services services, std::shared_ptr<HistoryViewModel> viewModel,
                    std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor);

    void createPanel();
    void positionPanel();
    void finishHide(std::uint64_t hiddenAfterShow);

    Services services_;
    std::shared_ptr<HistoryViewModel> viewModel_;
    std::shared_ptr<clipboard::ClipboardMonitor> clipboardMonitor_;
    bool panelCreated_ = false;
    std::optional<double> panelTopY_;
    bool isShowing_ = false;
    std::optional<platform::RunningApplication> previousFrontmostApp_;
    // Counts shows, so that the end of a fade that a newer show overtook leaves the panel be.
    std::uint64_t showCount_ = 0;
};

}  // namespace pindrake::app
