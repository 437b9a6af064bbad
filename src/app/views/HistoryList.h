#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include "app/model/HistoryViewModel.h"
#include "app/views/RowIcons.h"

namespace pindrake::app::views {

// The filtered entries, one row per position.
class HistoryListModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit HistoryListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    void setItems(HistoryViewModel::ItemList items);
    const clipboard::ClipboardItem* item(int row) const;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Repaints the rows of one entry (its site icon arrived).
    void refreshItem(const QString& id);

  private:
    HistoryViewModel::ItemList items_;
};

// Draws a row: the kind's icon, the one-line title, and the rounded selection highlight.
class HistoryRowDelegate final : public QStyledItemDelegate {
  public:
    static constexpr int iconSize = 18;
    static constexpr int rowHeight = 28;

    HistoryRowDelegate(const HistoryListModel& model, RowIcons& icons, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), model_(model), icons_(icons) {}
    void showSelection(int selectedIndex, bool isFocused) {
        selectedIndex_ = selectedIndex;
        isFocused_ = isFocused;
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    const HistoryListModel& model_;
    RowIcons& icons_;
    int selectedIndex_ = 0;
    bool isFocused_ = true;
};

// The scrolling list of the history column; clicks report the row's position.
class HistoryList final : public QListView {
    Q_OBJECT
  public:
    HistoryList(RowIcons& icons, QWidget* parent = nullptr);
    void setItems(HistoryViewModel::ItemList items) { model_.setItems(std::move(items)); }
    void showSelection(int selectedIndex, bool isFocused);
    void scrollToTop() { QListView::scrollToTop(); }
    // Scroll only as far as the row needs to be seen, at once or with a short ease-out.
    void keepRowInView(int row);
    void easeRowIntoView(int row);
    int selectedRow() const { return selectedIndex_; }
    const HistoryListModel& listModel() const { return model_; }

  signals:
    void rowClicked(int row);

  private:
    HistoryListModel model_;
    HistoryRowDelegate delegate_;
    int selectedIndex_ = 0;
};

}  // namespace pindrake::app::views
