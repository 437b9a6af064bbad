#include "app/views/OverlayScrollBar.h"

#include <QEvent>

namespace pindrake::app::views {

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea& area)
    : QScrollBar(Qt::Vertical, &area), area_(area) {
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setObjectName(QStringLiteral("overlayScrollBar"));
    setStyleSheet(QStringLiteral(
        "#overlayScrollBar { background: transparent; width: 6px; margin: 2px 0; }"
        "#overlayScrollBar::handle { background: rgba(128,128,128,0.6); border-radius: 3px;"
        "  min-height: 24px; }"
        "#overlayScrollBar::add-line, #overlayScrollBar::sub-line { height: 0; }"
        "#overlayScrollBar::add-page, #overlayScrollBar::sub-page { background: transparent; }"));
    hide();

    QScrollBar* inner = area.verticalScrollBar();
    setRange(inner->minimum(), inner->maximum());
    setPageStep(inner->pageStep());
    setSingleStep(inner->singleStep());
    setValue(inner->value());
    connect(inner, &QScrollBar::rangeChanged, this, [this, inner](int minimum, int maximum) {
        setRange(minimum, maximum);
        setPageStep(inner->pageStep());
        if (maximum <= minimum)
            hide();
    });
    connect(inner, &QScrollBar::valueChanged, this, [this](int value) {
        setValue(value);
        reveal();
    });
    connect(this, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);

    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(shownMilliseconds);
    connect(&hideTimer_, &QTimer::timeout, this, [this] {
        if (!underMouse() && !isSliderDown())
            hide();
    });
    area.installEventFilter(this);
    place();
}

void OverlayScrollBar::reveal() {
    if (maximum() <= minimum())
        return;
    place();
    show();
    raise();
    hideTimer_.start();
}

void OverlayScrollBar::place() {
    setGeometry(area_.width() - thickness - 2, 0, thickness, area_.height());
}

bool OverlayScrollBar::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Resize)
        place();
    return false;
}

void OverlayScrollBar::enterEvent(QEnterEvent*) {
    hideTimer_.stop();
}

void OverlayScrollBar::leaveEvent(QEvent*) {
    hideTimer_.start();
}

}  // namespace pindrake::app::views
