#include "app/views/HistoryPanelView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "app/views/ConverterMenuView.h"
#include "app/views/HistoryList.h"
#include "app/views/PanelParts.h"
#include "app/views/PanelStyle.h"
#include "app/views/PreviewPane.h"
#include "app/views/QtPanelWindow.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"
#include "app/views/SymbolIcons.h"
#include "foundation/Localization.h"
#include "shortcuts/DesktopKeyNames.h"

namespace pindrake::app::views {

namespace {

QString text(std::string_view key) {
    return QString::fromStdString(localized(key));
}

// Keeps an overlay covering its parent, whatever the parent's size becomes.
class FollowParent final : public QObject {
  public:
    FollowParent(QWidget& overlay) : QObject(&overlay), overlay_(overlay) {
        overlay.parentWidget()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            overlay_.setGeometry(overlay_.parentWidget()->rect());
        return false;
    }

  private:
    QWidget& overlay_;
};

DimLayer* coverWithDim(QWidget& card) {
    auto* dim = new DimLayer(&card);
    dim->setGeometry(card.rect());
    new FollowParent(*dim);
    return dim;
}

}  // namespace

HistoryPanelView::HistoryPanelView(Services services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      viewModel_(services_.controller->viewModel()) {
    setFixedSize(panelWidth, panelHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(columnSpacing);
    row->addWidget(makeHistoryColumn(), 0, Qt::AlignTop);
    row->addWidget(makeConverterColumn(), 0, Qt::AlignTop);
    observe();
    refresh();
    services_.controller->updateHeight(panelHeight, panelWidth);
}

HistoryPanelView::~HistoryPanelView() = default;

QWidget* HistoryPanelView::makeHistoryColumn() {
    historyColumn_ = new Card(this);
    auto* column = historyColumn_;
    // As tall as what it shows: with an empty history the panel is a short card, not a block.
    column->setFixedWidth(columnWidth);
    column->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto* header = new QWidget(column);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(14, 7, 14, 7);
    headerRow->setSpacing(8);
    auto* glass = new QLabel(header);
    glass->setPixmap(
        pixmapInColour(RowIcons::searchSymbol(), 24, palette().color(QPalette::PlaceholderText)));
    glass->setFixedSize(40, 40);
    glass->setAlignment(Qt::AlignCenter);
    searchField_ = new SearchField(
        {[this] { viewModel_.moveSelectionDown(); }, [this] { viewModel_.moveSelectionUp(); },
         [this] { viewModel_.openConverterMenu(); }, [this] { viewModel_.closeConverterMenu(); },
         [this] { handleEscape(); }, [this] { handleReturn(); }, [this] { handleDelete(); },
         [this] { handleCopy(); }},
        [this] { return viewModel_.isConverterMenuOpen.get(); }, header);
    connect(searchField_, &QLineEdit::textEdited, this,
            [this](const QString& query) { viewModel_.query = query.toStdString(); });
    searchField_->installEventFilter(this);
    headerRow->addWidget(glass);
    headerRow->addWidget(searchField_, 1);
    stack->addWidget(header);

    listDivider_ = divider(column);
    stack->addWidget(listDivider_);
    historyList_ = new HistoryList(services_.icons, column);
    historyList_->setFixedHeight(listHeight);
    connect(historyList_, &HistoryList::rowClicked, this, &HistoryPanelView::handleRowClick);
    emptyText_ = new QLabel(column);
    QFont emptyFont = emptyText_->font();
    emptyFont.setPixelSize(14);
    emptyText_->setFont(emptyFont);
    emptyText_->setForegroundRole(QPalette::PlaceholderText);
    emptyText_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // 20 above and below the text; left and right it is centred anyway.
    emptyText_->setMargin(20);
    stack->addWidget(historyList_);
    stack->addWidget(emptyText_);

    hintsBar_ = new QWidget(column);
    paintAsHintsBar(*hintsBar_);
    auto* hintsRow = new QHBoxLayout(hintsBar_);
    hintsRow->setContentsMargins(16, 8, 16, 8);
    hintsRow->setSpacing(16);
    stack->addWidget(hintsBar_);

    toast_ = new Toast(column);
    historyDim_ = coverWithDim(*column);
    connect(historyDim_, &DimLayer::clicked, this, [this] { viewModel_.closeConverterMenu(); });
    return column;
}

QWidget* HistoryPanelView::makeConverterColumn() {
    converterColumn_ = new QWidget(this);
    converterColumn_->setFixedSize(columnWidth, panelHeight);
    // Without a selected entry the column is empty space: the history column stays on the left.
    QSizePolicy keepPlace = converterColumn_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    converterColumn_->setSizePolicy(keepPlace);
    auto* stack = new QVBoxLayout(converterColumn_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);

    converterCard_ = new Card(converterColumn_);
    auto* cardStack = new QVBoxLayout(converterCard_);
    cardStack->setContentsMargins(0, 0, 0, 0);
    cardStack->setSpacing(0);
    cardStack->addWidget(cardTitle("paste", converterCard_));
    cardStack->addWidget(divider(converterCard_));
    converterMenu_ = new ConverterMenuView(converterCard_);
    converterMenu_->setMaximumHeight(150);
    connect(converterMenu_, &ConverterMenuView::converterClicked, this,
            &HistoryPanelView::handleConverterClick);
    cardStack->addWidget(converterMenu_);
    auto* hintRow = new QWidget(converterCard_);
    paintAsHintsBar(*hintRow);
    auto* hintLayout = new QHBoxLayout(hintRow);
    hintLayout->setContentsMargins(16, 8, 16, 8);
    hintLayout->addStretch(1);
    hintLayout->addWidget(
        keyHint(GlobalShortcuts::desktopKeyName(GlobalShortcuts::SpecialKey::return_),
                localized("paste"), hintRow));
    hintLayout->addStretch(1);
    cardStack->addWidget(hintRow);
    converterDim_ = coverWithDim(*converterCard_);
    connect(converterDim_, &DimLayer::clicked, this, [this] { viewModel_.openConverterMenu(); });
    stack->addWidget(converterCard_);

    previewPane_ = new PreviewPane(services_.icons, services_.store.directory(), converterColumn_);
    stack->addWidget(previewPane_, 1);
    return converterColumn_;
}

void HistoryPanelView::observe() {
    const auto changed = [this](const auto&) { scheduleRefresh(); };
    subscriptions_.push_back(viewModel_.query.observeForView(changed));
    subscriptions_.push_back(viewModel_.filteredItems.observeForView(changed));
    subscriptions_.push_back(viewModel_.isSearching.observeForView(changed));
    subscriptions_.push_back(viewModel_.selectedIndex.observeForView(changed));
    subscriptions_.push_back(viewModel_.isConverterMenuOpen.observeForView(changed));
    subscriptions_.push_back(viewModel_.converterCandidates.observeForView(changed));
    subscriptions_.push_back(viewModel_.selectedConverterIndex.observeForView(changed));
    subscriptions_.push_back(viewModel_.convertedPreviewText.observeForView(changed));
    subscriptions_.push_back(viewModel_.isConvertingPreview.observeForView(changed));
    subscriptions_.push_back(viewModel_.isConvertingForPaste.observeForView(changed));
    subscriptions_.push_back(viewModel_.aiLoadingKeys.observeForView(changed));
    subscriptions_.push_back(viewModel_.accessibilityDenied.observeForView(changed));
    subscriptions_.push_back(services_.store.items().observeForView(changed));
}

// Changes arrive in bursts (one keystroke filters, selects and refreshes the converters); the
// view catches up once, on the next turn, after the operation has finished.
void HistoryPanelView::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshPending_)
            refresh();
    });
}

void HistoryPanelView::refresh() {
    refreshPending_ = false;
    const auto& query = viewModel_.query.get();
    if (searchField_->text().toStdString() != query)
        searchField_->setText(QString::fromStdString(query));

    const auto& items = viewModel_.filteredItems.get();
    refreshList(items);

    const bool isMenuOpen = viewModel_.isConverterMenuOpen.get();
    historyList_->showSelection(viewModel_.selectedIndex.get(), !isMenuOpen);
    historyDim_->setDimmed(isMenuOpen);
    if (isMenuOpen)
        historyDim_->raise();
    if (shownMenuOpen_ != isMenuOpen)
        refreshHints(isMenuOpen);
    shownMenuOpen_ = isMenuOpen;
    refreshConverterColumn();

    // Only a change to true counts; the value the view starts with shows nothing.
    const bool denied = viewModel_.accessibilityDenied.get();
    if (denied && !shownAccessibilityDenied_) {
        viewModel_.accessibilityDenied = false;
        showToast(text("toast_accessibility_required"));
    }
    shownAccessibilityDenied_ = viewModel_.accessibilityDenied.get();
    refreshShape();
}

QRegion HistoryPanelView::shape() const {
    QRegion painted;
    const QWidget* cards[] = {historyColumn_, converterCard_, previewPane_};
    for (const QWidget* card : cards) {
        if (card->isVisibleTo(this))
            painted += roundedRegion(QRect(card->mapTo(this, QPoint(0, 0)), card->size()));
    }
    return painted;
}

void HistoryPanelView::refreshShape() {
    // The cards take their places now, not at the next layout pass, so the shape is current.
    layout()->activate();
    converterColumn_->layout()->activate();
    QRegion current = shape();
    if (current == shownShape_)
        return;
    shownShape_ = std::move(current);
    emit shapeChanged(shownShape_);
}

void HistoryPanelView::refreshList(const HistoryViewModel::ItemList& items) {
    const std::size_t count = items ? items->size() : 0;
    if (items != shownItems_) {
        historyList_->setItems(items);
        shownItems_ = items;
    }
    const int selected = viewModel_.selectedIndex.get();
    // A new list starts at the top, unless the selection stayed on an entry further down (the
    // history changed under it): that entry stays in view.
    if (shownCount_ && *shownCount_ != count) {
        if (selected == 0)
            historyList_->scrollToTop();
        else
            historyList_->keepRowInView(selected);
    }
    shownCount_ = count;

    if (shownSelectedIndex_ && *shownSelectedIndex_ != selected && viewModel_.scrollToSelection) {
        viewModel_.scrollToSelection = false;
        historyList_->easeRowIntoView(selected);
    }
    shownSelectedIndex_ = selected;

    listAreaState_ =
        views::listAreaState(count > 0, viewModel_.query->empty(), services_.store.items()->empty(),
                             viewModel_.isSearching.get());
    listDivider_->setVisible(listAreaState_ != ListAreaState::nothing);
    historyList_->setVisible(listAreaState_ == ListAreaState::list);
    emptyText_->setVisible(listAreaState_ == ListAreaState::noMatchingHistory ||
                           listAreaState_ == ListAreaState::noClipboardHistory);
    emptyText_->setText(listAreaState_ == ListAreaState::noMatchingHistory
                            ? text("no_matching_history")
                            : text("no_clipboard_history"));
    hintsBar_->setVisible(count > 0);
}

void HistoryPanelView::refreshHints(bool isMenuOpen) {
    auto* row = hintsBar_->layout();
    while (auto* child = row->takeAt(0)) {
        delete child->widget();
        delete child;
    }
    for (const auto& hint : keyHints(isMenuOpen))
        row->addWidget(keyHint(hint.keyText, localized(hint.labelKey), hintsBar_));
    static_cast<QHBoxLayout*>(row)->addStretch(1);
}

void HistoryPanelView::refreshConverterColumn() {
    const auto& items = viewModel_.filteredItems.get();
    const int selected = viewModel_.selectedIndex.get();
    const bool hasSelection = items && selected >= 0 && selected < static_cast<int>(items->size());
    converterColumn_->setVisible(hasSelection);
    if (!hasSelection)
        return;
    const bool isMenuOpen = viewModel_.isConverterMenuOpen.get();
    const auto& candidates = viewModel_.converterCandidates.get();
    converterCard_->setVisible(!candidates.empty() || isMenuOpen);
    converterDim_->setDimmed(!isMenuOpen);
    if (!isMenuOpen)
        converterDim_->raise();
    // While the menu is open it works on its own entry, which the selection may have left.
    const clipboard::ClipboardItem* item = viewModel_.actionItem();
    if (!item)
        item = &(*items)[static_cast<std::size_t>(selected)];
    converterMenu_->setState({candidates, viewModel_.selectedConverterIndex.get(), isMenuOpen,
                              item->id, viewModel_.aiLoadingKeys.get()});
    // A paste waiting for its conversion shows that it converts: the panel holds the keyboard
    // until it is done.
    previewPane_->show(
        *item, viewModel_.isConvertingPreview.get() || viewModel_.isConvertingForPaste.get(),
        viewModel_.convertedPreviewText.get());
}

bool HistoryPanelView::eventFilter(QObject* watched, QEvent* event) {
    const bool isKey =
        event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (watched == searchField_ && isKey && services_.isToggleKey &&
        services_.isToggleKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            services_.controller->hidePanel(true);
        return true;
    }
    // While a paste waits for its conversion, what is typed would change the search under it:
    // only Escape, which calls the paste off, goes through.
    const bool isText = isKey || event->type() == QEvent::InputMethod;
    if (watched == searchField_ && isText && viewModel_.isConvertingForPaste.get() &&
        !(isKey && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryPanelView::showToast(const QString& message) {
    toast_->showMessage(message);
}

void HistoryPanelView::handleEscape() {
    if (viewModel_.isConverterMenuOpen.get())
        viewModel_.closeConverterMenu();
    else
        services_.controller->hidePanel(true);
}

void HistoryPanelView::dismissAndPaste() {
    std::weak_ptr<PanelController> controller = services_.controller;
    viewModel_.pasteSelected(services_.controller->clipboardMonitor(),
                             services_.controller->previousFrontmostApp(), [controller] {
                                 if (auto alive = controller.lock())
                                     alive->hidePanel(true);
                             });
}

void HistoryPanelView::handleReturn() {
    dismissAndPaste();
}

void HistoryPanelView::handleDelete() {
    if (viewModel_.deleteSelected())
        showToast(text("toast_deleted"));
}

void HistoryPanelView::handleCopy() {
    viewModel_.copySelected(services_.controller->clipboardMonitor(),
                            [view = QPointer<HistoryPanelView>(this)] {
                                if (view)
                                    view->showToast(text("toast_copied"));
                            });
}

void HistoryPanelView::handleRowClick(int position) {
    if (rowClicks_.click(position, services_.now(), services_.doubleClickInterval()))
        dismissAndPaste();
    else
        viewModel_.selectedIndex = position;
}

void HistoryPanelView::handleConverterClick(int position) {
    const bool isDouble =
        converterClicks_.click(position, services_.now(), services_.doubleClickInterval());
    viewModel_.selectConverter(position);
    if (isDouble)
        dismissAndPaste();
}

std::vector<QString> HistoryPanelView::shownHints() const {
    std::vector<QString> hints;
    if (hintsBar_->isHidden())
        return hints;
    for (auto* label : hintsBar_->findChildren<QLabel*>()) {
        if (label->objectName() != QStringLiteral("keyCap"))
            hints.push_back(label->text());
    }
    return hints;
}

std::optional<QString> HistoryPanelView::toastText() const {
    if (toast_->isHidden())
        return std::nullopt;
    return toast_->text();
}

bool HistoryPanelView::isHistoryDimmed() const {
    return historyDim_->isDimmed();
}
bool HistoryPanelView::isConverterCardShown() const {
    return !converterColumn_->isHidden() && !converterCard_->isHidden();
}
bool HistoryPanelView::isConverterDimmed() const {
    return isConverterCardShown() && converterDim_->isDimmed();
}

void keepWindowShaped(QtPanelWindow& window, HistoryPanelView& view) {
    QObject::connect(&view, &HistoryPanelView::shapeChanged, &view,
                     [&window](const QRegion& shape) { window.setShape(shape); });
    window.setShape(view.shape());
}

}  // namespace pindrake::app::views
