#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QTimer>
#include <QWidget>

namespace pindrake::app::views {

// One frame of the turning arc that says "working": `step` of `spinnerSteps` around the circle.
inline constexpr int spinnerSteps = 12;
inline constexpr int spinnerStepMilliseconds = 80;
void paintSpinner(QPainter& painter, const QRectF& rect, int step, const QColor& colour);

// The arc as a small widget that turns while it is shown, in the secondary text colour.
class Spinner final : public QWidget {
    Q_OBJECT
  public:
    explicit Spinner(QWidget* parent = nullptr, int size = 14);
    int step() const { return step_; }
    bool isTurning() const { return timer_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QTimer timer_;
    int step_ = 0;
};

}  // namespace pindrake::app::views
