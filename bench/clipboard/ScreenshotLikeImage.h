#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <random>

namespace pindrake::bench {

// A 3840x2160 desktop: flat window areas, rows of glyph-like speckles and a photograph, which
// compresses about as well as a real screenshot (a few MB of PNG).
inline QImage screenshotLikeImage() {
    QImage image(3840, 2160, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient background(0, 0, 3840, 2160);
    background.setColorAt(0, QColor(30, 60, 110));
    background.setColorAt(1, QColor(120, 40, 90));
    painter.fillRect(image.rect(), background);
    std::mt19937 random(7);
    for (int window = 0; window < 12; ++window) {
        const QRect frame(static_cast<int>(random() % 2400), static_cast<int>(random() % 1200),
                          900 + static_cast<int>(random() % 600),
                          500 + static_cast<int>(random() % 400));
        painter.fillRect(frame, QColor(245, 245, 245));
        painter.fillRect(frame.x(), frame.y(), frame.width(), 40, QColor(220, 220, 225));
        for (int line = frame.y() + 60; line < frame.bottom() - 20; line += 28) {
            for (int x = frame.x() + 20; x < frame.right() - 20; ++x) {
                for (int y = line; y < line + 14; ++y) {
                    if (random() % 100 < 18)
                        image.setPixel(x, y, qRgb(40, 40, 40));
                }
            }
        }
    }
    const QRect photo(300, 900, 1600, 1000);
    for (int y = photo.top(); y <= photo.bottom(); ++y) {
        for (int x = photo.left(); x <= photo.right(); ++x) {
            const int noise = static_cast<int>(random() % 24);
            image.setPixel(x, y,
                           qRgb((x / 7 + noise) % 256, (y / 5 + noise) % 256, (x + y) / 13 % 256));
        }
    }
    return image;
}

}  // namespace pindrake::bench
