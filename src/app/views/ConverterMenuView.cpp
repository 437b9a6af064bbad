#include "app/views/ConverterMenuView.h"

#include <QPainter>
#include <QStyledItemDelegate>

#include "app/views/ClickOnlyList.h"
#include "app/views/PanelParts.h"
#include "app/views/PanelRules.h"
#include "app/views/PanelStyle.h"
#include "app/views/RowIcons.h"
#include "app/views/Spinner.h"

namespace pindrake::app::views {

class ConverterMenuView::Delegate final : public QStyledItemDelegate {
  public:
    explicit Delegate(ConverterMenuView& menu) : QStyledItemDelegate(&menu), menu_(menu) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const auto& candidates = menu_.state_.candidates;
        if (row < 0 || row >= static_cast<int>(candidates.size()))
            return;
        const bool dark = isDarkScheme(menu_);
        if (menu_.highlightedRow() == row) {
            const double opacity = highlightOpacity(true, menu_.state_.isFocused, dark);
            paintRoundedFill(*painter, QRectF(option.rect).adjusted(4, 0, -4, 0), rowRadius,
                             highlightColor(opacity, dark));
        }
        const QRect symbolRect(option.rect.left() + 18, option.rect.center().y() - 6, 13, 13);
        if (menu_.isLoading(row)) {
            paintSpinner(*painter, QRectF(symbolRect), menu_.spinnerStep_,
                         option.palette.color(QPalette::PlaceholderText));
        } else {
            painter->setPen(option.palette.color(QPalette::PlaceholderText));
            RowIcons::converterSymbol(candidates[static_cast<std::size_t>(row)]->iconName())
                .paint(painter, symbolRect);
        }
        QFont font = option.font;
        font.setPixelSize(13);
        painter->setFont(font);
        painter->setPen(option.palette.color(QPalette::Text));
        const QRect textRect(symbolRect.right() + 11, option.rect.top(),
                             option.rect.right() - 18 - symbolRect.right() - 11,
                             option.rect.height());
        const QString title =
            QString::fromStdString(candidates[static_cast<std::size_t>(row)]->title());
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                          QFontMetrics(font).elidedText(title, Qt::ElideRight, textRect.width()));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {0, rowHeight};
    }

  private:
    ConverterMenuView& menu_;
};

ConverterMenuView::ConverterMenuView(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new Delegate(*this));
    setAutoFillBackground(false);
    makeClickOnlyList(*this, [this](int row) { emit converterClicked(row); });
    spinnerTimer_.setInterval(spinnerStepMilliseconds);
    connect(&spinnerTimer_, &QTimer::timeout, this, [this] {
        spinnerStep_ = (spinnerStep_ + 1) % spinnerSteps;
        viewport()->update();
    });
}

void ConverterMenuView::setState(State state) {
    const bool selectionMoved = state.selectedIndex != state_.selectedIndex;
    const auto count = static_cast<int>(state.candidates.size());
    state_ = std::move(state);
    while (this->count() > count)
        delete takeItem(this->count() - 1);
    while (this->count() < count)
        addItem(QString());
    bool anyLoading = false;
    for (int row = 0; row < count; ++row)
        anyLoading = anyLoading || isLoading(row);
    if (anyLoading && !spinnerTimer_.isActive())
        spinnerTimer_.start();
    else if (!anyLoading)
        spinnerTimer_.stop();
    if (selectionMoved && state_.selectedIndex >= 0 && state_.selectedIndex < count)
        scrollSmoothly(*this, indexFromItem(item(state_.selectedIndex)), PositionAtCenter);
    viewport()->update();
}

std::optional<int> ConverterMenuView::highlightedRow() const {
    return highlightedConverterRow(state_.selectedIndex, state_.isFocused,
                                   static_cast<int>(state_.candidates.size()));
}

bool ConverterMenuView::isLoading(int row) const {
    // Without a target entry the key is empty, as the view model would never make it.
    std::string key;
    if (state_.targetItemId)
        key = *state_.targetItemId + ":" + state_.candidates[static_cast<std::size_t>(row)]->id();
    return state_.aiLoadingKeys.contains(key);
}

}  // namespace pindrake::app::views
