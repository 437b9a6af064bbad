#include "app/views/HistoryList.h"

#include <QPainter>

#include "app/views/ClickOnlyList.h"
#include "app/views/PanelParts.h"
#include "app/views/PanelRules.h"
#include "app/views/PanelStyle.h"

namespace pindrake::app::views {

void HistoryListModel::setItems(HistoryViewModel::ItemList items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

const clipboard::ClipboardItem* HistoryListModel::item(int row) const {
    if (!items_ || row < 0 || row >= static_cast<int>(items_->size()))
        return nullptr;
    return &(*items_)[static_cast<std::size_t>(row)];
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !items_ ? 0 : static_cast<int>(items_->size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    const auto* entry = item(index.row());
    if (!entry || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(rowTitle(*entry));
}

void HistoryListModel::refreshItem(const QString& id) {
    if (!items_)
        return;
    const std::string wanted = id.toStdString();
    for (std::size_t row = 0; row < items_->size(); ++row) {
        if ((*items_)[row].id == wanted) {
            const QModelIndex at = index(static_cast<int>(row));
            emit dataChanged(at, at);
        }
    }
}

void HistoryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto* entry = model_.item(index.row());
    if (!entry)
        return;
    const auto* view = qobject_cast<const QWidget*>(option.widget);
    const bool dark = view && isDarkScheme(*view);
    const QRectF row = QRectF(option.rect).adjusted(4, 0, -4, 0);
    const double opacity = highlightOpacity(index.row() == selectedIndex_, isFocused_, dark);
    if (opacity > 0)
        paintRoundedFill(*painter, row, rowRadius, highlightColor(opacity, dark));

    const int left = option.rect.left() + 4 + 14;
    const QRect iconRect(left, option.rect.center().y() - iconSize / 2 + 1, iconSize, iconSize);
    // Symbols take the secondary text colour from the pen; pictures ignore it.
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    icons_.icon(*entry).paint(painter, iconRect);

    QFont font = option.font;
    font.setPixelSize(13);
    painter->setFont(font);
    painter->setPen(option.palette.color(QPalette::Text));
    const QRect textRect(iconRect.right() + 9, option.rect.top(),
                         option.rect.right() - 4 - 14 - iconRect.right() - 9, option.rect.height());
    const QString title = index.data(Qt::DisplayRole).toString().simplified();
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                      QFontMetrics(font).elidedText(title, Qt::ElideRight, textRect.width()));
}

QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {0, rowHeight};
}

HistoryList::HistoryList(RowIcons& icons, QWidget* parent)
    : QListView(parent), delegate_(model_, icons) {
    setModel(&model_);
    setItemDelegate(&delegate_);
    makeClickOnlyList(*this, [this](int row) { emit rowClicked(row); });
    connect(&icons, &RowIcons::siteIconLoaded, &model_, &HistoryListModel::refreshItem);
}

void HistoryList::showSelection(int selectedIndex, bool isFocused) {
    selectedIndex_ = selectedIndex;
    delegate_.showSelection(selectedIndex, isFocused);
    viewport()->update();
}

void HistoryList::easeRowIntoView(int row) {
    if (row >= 0 && row < model_.rowCount())
        scrollSmoothly(*this, model_.index(row), EnsureVisible);
}

void HistoryList::keepRowInView(int row) {
    if (row >= 0 && row < model_.rowCount())
        scrollTo(model_.index(row), QAbstractItemView::EnsureVisible);
}

}  // namespace pindrake::app::views
