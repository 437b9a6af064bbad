#pragma once

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace pindrake::app::views {

// A thin vertical scroll bar drawn over the right edge of a scroll area, taking no room from
// its content, that shows while the content scrolls and fades from view a moment after, as the
// desktop's overlay scroll bars do. The area's own bars stay off; this one mirrors the
// vertical one both ways, so dragging it scrolls.
class OverlayScrollBar final : public QScrollBar {
    Q_OBJECT
  public:
    static constexpr int thickness = 6;
    static constexpr int shownMilliseconds = 1000;

    explicit OverlayScrollBar(QAbstractScrollArea& area);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void reveal();
    void place();

    QAbstractScrollArea& area_;
    QTimer hideTimer_;
};

}  // namespace pindrake::app::views
