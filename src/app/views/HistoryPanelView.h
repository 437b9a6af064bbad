#pragma once

#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/model/HistoryViewModel.h"
#include "app/model/PanelController.h"
#include "app/views/PanelRules.h"
#include "foundation/Published.h"

class QFrame;
class QKeyEvent;
class QLabel;

namespace pindrake::app::views {

class ConverterMenuView;
class DimLayer;
class HistoryList;
class PreviewPane;
class QtPanelWindow;
class RowIcons;
class SearchField;
class Toast;

// The whole content of the floating panel: the history column (search field, list or empty
// state, key hints, toasts) and the converter column (converters and preview) of the selected
// entry. It reads the view model's published state and calls its operations; what it keeps of
// its own (click memory, the toast) starts afresh with every show, as the panel builds a new
// one each time.
class HistoryPanelView final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int columnWidth = 390;
    static constexpr int columnSpacing = 8;
    static constexpr int panelWidth = 2 * columnWidth + columnSpacing;
    static constexpr int panelHeight = 500;
    static constexpr int listHeight = 413;

    struct Services {
        std::shared_ptr<PanelController> controller;
        clipboard::HistoryStore& store;
        RowIcons& icons;
        std::function<TimePoint()> now = [] { return std::chrono::steady_clock::now(); };
        std::function<Duration()> doubleClickInterval;
        // Whether a key press is the global shortcut that toggles the panel: while the panel
        // holds the keyboard, the hot key reaches the panel instead of the hot-key service.
        std::function<bool(const QKeyEvent&)> isToggleKey = {};
    };

    explicit HistoryPanelView(Services services, QWidget* parent = nullptr);
    ~HistoryPanelView() override;

    void showToast(const QString& text);
    void handleEscape();
    void handleReturn();
    void handleDelete();
    void handleCopy();
    void handleRowClick(int position);
    void handleConverterClick(int position);

    // Brings the view up to the view model's state now, rather than on the next turn.
    void refresh();

    // What the view paints: its cards, rounded. The rest of the panel is see-through.
    QRegion shape() const;

    // For tests and screenshots: the parts as they are shown.
    SearchField& searchField() const { return *searchField_; }
    HistoryList& historyList() const { return *historyList_; }
    ConverterMenuView& converterMenu() const { return *converterMenu_; }
    PreviewPane& previewPane() const { return *previewPane_; }
    ListAreaState listAreaState() const { return listAreaState_; }
    std::vector<QString> shownHints() const;
    std::optional<QString> toastText() const;
    bool isHistoryDimmed() const;
    bool isConverterCardShown() const;
    bool isConverterDimmed() const;

  signals:
    void shapeChanged(const QRegion& shape);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* makeHistoryColumn();
    QWidget* makeConverterColumn();
    void observe();
    void scheduleRefresh();
    void refreshList(const HistoryViewModel::ItemList& items);
    void refreshHints(bool isMenuOpen);
    void refreshConverterColumn();
    void refreshShape();
    void dismissAndPaste();

    Services services_;
    HistoryViewModel& viewModel_;
    std::vector<Subscription> subscriptions_;
    bool refreshPending_ = false;

    SearchField* searchField_ = nullptr;
    QWidget* listDivider_ = nullptr;
    QWidget* historyColumn_ = nullptr;
    HistoryList* historyList_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QWidget* hintsBar_ = nullptr;
    Toast* toast_ = nullptr;
    DimLayer* historyDim_ = nullptr;
    QWidget* converterColumn_ = nullptr;
    QWidget* converterCard_ = nullptr;
    ConverterMenuView* converterMenu_ = nullptr;
    DimLayer* converterDim_ = nullptr;
    PreviewPane* previewPane_ = nullptr;

    // What was rendered last, to react to changes only.
    HistoryViewModel::ItemList shownItems_;
    std::optional<std::size_t> shownCount_;
    std::optional<int> shownSelectedIndex_;
    std::optional<bool> shownMenuOpen_;
    bool shownAccessibilityDenied_ = false;
    QRegion shownShape_;
    ListAreaState listAreaState_ = ListAreaState::nothing;
    DoubleClickDetector rowClicks_;
    DoubleClickDetector converterClicks_;
};

// Cuts or clears the panel window to the view's cards, now and whenever they change.
void keepWindowShaped(QtPanelWindow& window, HistoryPanelView& view);

}  // namespace pindrake::app::views
