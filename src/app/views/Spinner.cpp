#include "app/views/Spinner.h"

#include <QPen>

namespace pindrake::app::views {

void paintSpinner(QPainter& painter, const QRectF& rect, int step, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    // Angles in sixteenths of a degree, clockwise as the steps go.
    constexpr int stepAngle = 360 / spinnerSteps;
    painter.drawArc(rect.adjusted(1, 1, -1, -1), -step * 16 * stepAngle, 16 * 270);
    painter.restore();
}

Spinner::Spinner(QWidget* parent, int size) : QWidget(parent) {
    setFixedSize(size, size);
    timer_.setInterval(spinnerStepMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % spinnerSteps;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSpinner(painter, QRectF(rect()), step_, palette().color(QPalette::PlaceholderText));
}

// It turns only while someone can see it.
void Spinner::showEvent(QShowEvent*) {
    timer_.start();
}

void Spinner::hideEvent(QHideEvent*) {
    timer_.stop();
}

}  // namespace pindrake::app::views
