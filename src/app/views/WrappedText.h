#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace pindrake::app::views {

// Plain text that wraps at word boundaries and, where a word is longer than the line (Base64, a
// hash, a long address), anywhere inside it, so that none of it runs off the side. With a line
// limit, the last line shown ends in "…" when more text would follow.
class WrappedText final : public QWidget {
    Q_OBJECT
  public:
    explicit WrappedText(QString text, QWidget* parent = nullptr, int maxLines = 0);

    const QString& text() const { return text_; }
    void setAlignment(Qt::Alignment alignment);
    // The lines as shown at the current width.
    std::vector<QString> shownLines() const { return linesFor(width()); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QString> linesFor(int width) const;

    QString text_;
    int maxLines_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

}  // namespace pindrake::app::views
