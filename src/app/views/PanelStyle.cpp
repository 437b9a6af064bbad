#include "app/views/PanelStyle.h"

#include <QPainterPath>
#include <QPalette>

namespace pindrake::app::views {

bool isDarkScheme(const QWidget& widget) {
    return widget.palette().color(QPalette::Window).lightness() < 128;
}

QColor highlightColor(double opacity, bool isDark) {
    QColor color = isDark ? Qt::white : Qt::black;
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

void paintRoundedFill(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

void paintCard(QPainter& painter, const QWidget& widget) {
    QColor backing = widget.palette().color(QPalette::Window);
    backing.setAlphaF(0.96f);
    paintRoundedFill(painter, QRectF(widget.rect()), cardRadius, backing);
}

QRegion roundedRegion(const QRect& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace pindrake::app::views
