#pragma once

#include <QAbstractItemView>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

#include <string>
#include <string_view>

namespace pindrake::app::views {

// A rounded black veil over a column that is not in use; a click on it brings that column in.
// It fades in and out with the column switch (0.15 s, ease-out); while fading out it lets
// clicks through, so it only ever brings in a column that is really dimmed.
class DimLayer final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int fadeMilliseconds = 150;

    explicit DimLayer(QWidget* parent);
    void setDimmed(bool dimmed);
    bool isDimmed() const { return dimmed_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    bool placed_ = false;  // the first state is taken at once, not faded into
    bool dimmed_ = false;
    qreal strength_ = 0.0;  // of the full veil, animated
    QVariantAnimation fade_;
};

// A card with the translucent backing of the panel's columns.
class Card : public QWidget {
  public:
    explicit Card(QWidget* parent = nullptr) : QWidget(parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A short message floating above the bottom edge; each request shows its text for 1.2 s, and
// it fades in and out in 0.2 s.
class Toast final : public QLabel {
  public:
    static constexpr int visibleMilliseconds = 1200;
    static constexpr int fadeMilliseconds = 200;

    explicit Toast(QWidget* parent);
    void showMessage(const QString& text);
    bool isShowing() const { return isVisible(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void place();
    void fadeTo(double opacity);
    QTimer* hideTimer_;  // named "toastHideTimer"
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation* fade_;
};

// The small grey title at the top of a card.
QLabel* cardTitle(std::string_view key, QWidget* parent);
// The faint line under a card's title or the search field.
QWidget* divider(QWidget* parent);
// Gives a bar the faint separator-coloured backing of the hints bars.
void paintAsHintsBar(QWidget& bar);

// Scrolls the list to the row as `hint` says, with a short ease-out (0.15 s).
void scrollSmoothly(QAbstractItemView& list, const QModelIndex& row,
                    QAbstractItemView::ScrollHint hint);

// A key cap and its label, as in the hints bars.
QWidget* keyHint(const std::string& keyText, const std::string& label, QWidget* parent);

}  // namespace pindrake::app::views
