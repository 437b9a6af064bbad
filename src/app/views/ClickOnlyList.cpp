#include "app/views/ClickOnlyList.h"

#include <QMouseEvent>

#include "app/views/OverlayScrollBar.h"

namespace pindrake::app::views {
namespace {

// Takes the presses off the list's viewport before the list's own handling sees them.
class RowClickFilter final : public QObject {
  public:
    RowClickFilter(QListView& list, std::function<void(int)> clicked)
        : QObject(&list), list_(list), clicked_(std::move(clicked)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonDblClick)
            return false;
        const auto& press = static_cast<const QMouseEvent&>(*event);
        const QModelIndex at = list_.indexAt(press.position().toPoint());
        if (press.button() == Qt::LeftButton && at.isValid())
            clicked_(at.row());
        return true;
    }

  private:
    QListView& list_;
    std::function<void(int)> clicked_;
};

}  // namespace

void makeClickOnlyList(QListView& list, std::function<void(int row)> clicked) {
    list.setUniformItemSizes(true);
    list.setFrameShape(QFrame::NoFrame);
    list.setFocusPolicy(Qt::NoFocus);
    list.setSelectionMode(QAbstractItemView::NoSelection);
    new OverlayScrollBar(list);
    list.viewport()->setAutoFillBackground(false);
    list.viewport()->installEventFilter(new RowClickFilter(list, std::move(clicked)));
}

}  // namespace pindrake::app::views
