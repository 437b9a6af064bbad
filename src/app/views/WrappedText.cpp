#include "app/views/WrappedText.h"

#include <QPainter>
#include <QTextLayout>

namespace pindrake::app::views {

namespace {

// What the painter draws of a laid-out line: without the break that ended it, and without the
// spaces at its end, which would push a centred line to the left.
QString drawnPart(QStringView line) {
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1].isSpace() || line[end - 1] == QChar::LineSeparator))
        --end;
    return line.first(end).toString();
}

}  // namespace

WrappedText::WrappedText(QString text, QWidget* parent, int maxLines)
    : QWidget(parent), text_(std::move(text)), maxLines_(maxLines) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrappedText::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

std::vector<QString> WrappedText::linesFor(int width) const {
    std::vector<QString> lines;
    if (text_.isEmpty() || width <= 0)
        return lines;
    // The layout breaks lines only at its own separator, not at a newline.
    QString laidOut = text_;
    laidOut.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (maxLines_ > 0 && static_cast<int>(lines.size()) == maxLines_ - 1) {
            // The last line allowed takes all that is left, cut short with an ellipsis.
            const QString rest = laidOut.mid(line.textStart()).simplified();
            lines.push_back(fontMetrics().elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.push_back(drawnPart(QStringView(laidOut).mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    return lines;
}

int WrappedText::heightForWidth(int width) const {
    return static_cast<int>(linesFor(width).size()) * fontMetrics().lineSpacing();
}

QSize WrappedText::sizeHint() const {
    const int width = std::max(minimumSizeHint().width(), fontMetrics().horizontalAdvance(text_));
    return {width, heightForWidth(width)};
}

// Narrow enough never to widen what holds it: the text wraps instead.
QSize WrappedText::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 4, fontMetrics().lineSpacing()};
}

void WrappedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const int lineHeight = fontMetrics().lineSpacing();
    int top = 0;
    for (const QString& line : linesFor(width())) {
        painter.drawText(
            QRect(0, top, width(), lineHeight),
            int(alignment_ & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextExpandTabs,
            line);
        top += lineHeight;
    }
}

}  // namespace pindrake::app::views
