#include "app/views/PanelParts.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include "app/views/PanelRules.h"
#include "app/views/PanelStyle.h"
#include "foundation/Localization.h"

namespace pindrake::app::views {

DimLayer::DimLayer(QWidget* parent) : QWidget(parent) {
    fade_.setDuration(fadeMilliseconds);
    fade_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        strength_ = value.toReal();
        update();
    });
    connect(&fade_, &QVariantAnimation::finished, this, [this] {
        if (!dimmed_)
            hide();
    });
}

void DimLayer::setDimmed(bool dimmed) {
    if (placed_ && dimmed == dimmed_)
        return;
    dimmed_ = dimmed;
    setAttribute(Qt::WA_TransparentForMouseEvents, !dimmed);
    fade_.stop();
    if (!placed_) {
        placed_ = true;
        strength_ = dimmed ? 1.0 : 0.0;
        setVisible(dimmed);
        return;
    }
    if (dimmed)
        show();
    fade_.setStartValue(strength_);
    fade_.setEndValue(dimmed ? 1.0 : 0.0);
    fade_.start();
}

void DimLayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintRoundedFill(painter, QRectF(rect()), cardRadius,
                     QColor(0, 0, 0, qRound(0.28 * 255 * strength_)));
}

void DimLayer::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit clicked();
}

void Card::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintCard(painter, *this);
}

Toast::Toast(QWidget* parent) : QLabel(parent) {
    QFont font = this->font();
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    setFont(font);
    setContentsMargins(12, 6, 12, 6);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    opacity_ = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(opacity_);
    fade_ = new QPropertyAnimation(opacity_, "opacity", this);
    fade_->setDuration(fadeMilliseconds);
    fade_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(fade_, &QPropertyAnimation::finished, this, [this] {
        if (opacity_->opacity() == 0)
            hide();
    });
    hide();
    hideTimer_ = new QTimer(this);
    hideTimer_->setObjectName(QStringLiteral("toastHideTimer"));
    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(visibleMilliseconds);
    connect(hideTimer_, &QTimer::timeout, this, [this] { fadeTo(0); });
}

void Toast::fadeTo(double opacity) {
    fade_->stop();
    fade_->setStartValue(opacity_->opacity());
    fade_->setEndValue(opacity);
    fade_->start();
}

void Toast::showMessage(const QString& text) {
    // Restarting the timer drops the hide of the toast this one replaces.
    setText(text);
    adjustSize();
    place();
    show();
    raise();
    fadeTo(1);
    hideTimer_->start();
}

void Toast::place() {
    if (const auto* column = parentWidget())
        move((column->width() - width()) / 2, column->height() - height() - 8);
}

void Toast::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        paintRoundedFill(painter, QRectF(rect()), height() / 2.0,
                         QColor(0, 0, 0, qRound(0.7 * 255)));
    }
    QLabel::paintEvent(event);
}

QLabel* cardTitle(std::string_view key, QWidget* parent) {
    auto* title = new QLabel(QString::fromStdString(localized(key)), parent);
    QFont font = title->font();
    font.setPixelSize(11);
    font.setWeight(QFont::Medium);
    title->setFont(font);
    title->setForegroundRole(QPalette::PlaceholderText);
    title->setContentsMargins(10, 8, 10, 4);
    return title;
}

QWidget* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

void paintAsHintsBar(QWidget& bar) {
    bar.setObjectName(QStringLiteral("hintsBar"));
    bar.setStyleSheet(QStringLiteral("#hintsBar { background: rgba(128,128,128,0.15); }"));
    bar.setAttribute(Qt::WA_StyledBackground);
}

void scrollSmoothly(QAbstractItemView& list, const QModelIndex& row,
                    QAbstractItemView::ScrollHint hint) {
    QScrollBar* bar = list.verticalScrollBar();
    // One animation per list: a newer move takes over from where the last one got to.
    static constexpr const char* animationName = "pindrakeScroll";
    delete bar->findChild<QPropertyAnimation*>(QLatin1String(animationName));
    const int from = bar->value();
    list.scrollTo(row, hint);
    const int to = bar->value();
    if (from == to)
        return;
    bar->setValue(from);
    auto* animation = new QPropertyAnimation(bar, "value", bar);
    animation->setObjectName(QLatin1String(animationName));
    animation->setDuration(150);
    animation->setEasingCurve(QEasingCurve::OutQuad);
    animation->setEndValue(to);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QWidget* keyHint(const std::string& keyText, const std::string& label, QWidget* parent) {
    auto* hint = new QWidget(parent);
    auto* row = new QHBoxLayout(hint);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    auto* cap = new QLabel(QString::fromStdString(keyText), hint);
    QFont capFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    capFont.setPixelSize(12);
    capFont.setWeight(QFont::Medium);
    cap->setFont(capFont);
    cap->setContentsMargins(6, 2, 6, 2);
    // A cap is as tall as its text, whatever the height of the bar it sits in.
    cap->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    cap->setObjectName(QStringLiteral("keyCap"));
    cap->setStyleSheet(
        QStringLiteral("#keyCap { background: rgba(128,128,128,0.3); border-radius: 4px; }"));
    auto* text = new QLabel(QString::fromStdString(label), hint);
    QFont textFont = text->font();
    textFont.setPixelSize(12);
    text->setFont(textFont);
    text->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(cap, 0, Qt::AlignVCenter);
    row->addWidget(text, 0, Qt::AlignVCenter);
    return hint;
}

}  // namespace pindrake::app::views
