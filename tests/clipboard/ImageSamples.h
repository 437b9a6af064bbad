#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>

#include <string>

namespace pindrake::clipboard::testing {

// A small picture encoded by Qt in the given format ("PNG", "JPEG", "ICO", "TIFF", ...).
inline std::string encodedImage(const char* format, int width = 16, int height = 8) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace pindrake::clipboard::testing
