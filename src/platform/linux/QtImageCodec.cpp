#include "platform/linux/QtImageCodec.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdint>

#include "platform/linux/PngImageData.h"

namespace pindrake::platform {

namespace {

// Qt's PNG quality 80 is zlib's fastest level: about three times faster than the default
// for a 4K screenshot, for files a sixth larger.
constexpr int fastPngQuality = 80;

constexpr std::string_view pngSignature{"\x89PNG\r\n\x1a\n", 8};

QByteArray borrowed(std::string_view bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool isPngDepthOfColourType(int depth, int colourType) {
    switch (colourType) {
        case 0:  // grey
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:  // palette
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:  // RGB
        case 4:  // grey and alpha
        case 6:  // RGBA
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

// The codec's own bound, whatever Qt's process-wide allocation limit says at the time.
bool fitsDecodingLimit(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel) {
    return width * height * bytesPerPixel <= std::uint64_t{QtImageCodec::decodingLimitMiB} << 20;
}

// Qt gives a PNG four bytes a pixel in most cases, eight at 16 bits a channel.
std::uint64_t pngBytesPerPixel(int depth) {
    return depth == 16 ? 8 : 4;
}

// What Qt will allocate a pixel of a picture it is about to read, as its own limit counts it.
std::uint64_t bytesPerPixel(QImage::Format format) {
    if (format == QImage::Format_Invalid)
        return 4;
    return std::max<std::uint64_t>(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
}

// A PNG known by its signature and image header chunk, which must come first: 8 bytes of
// signature, then the chunk's length (13), its type, width, height, bit depth, colour type,
// compression, filter and interlace methods, and its checksum; then the pixel data it
// announces.
std::optional<Image> pngFromHeader(std::string_view bytes) {
    constexpr std::size_t headerEnd = 8 + 4 + 4 + 13 + 4;
    if (bytes.size() < headerEnd)
        return std::nullopt;
    if (png::bigEndian32(bytes, 8) != 13 || bytes.substr(12, 4) != "IHDR")
        return std::nullopt;
    if (png::bigEndian32(bytes, 29) != png::checksum(bytes.substr(12, 4 + 13)))
        return std::nullopt;
    const std::uint32_t width = png::bigEndian32(bytes, 16);
    const std::uint32_t height = png::bigEndian32(bytes, 20);
    const int depth = static_cast<unsigned char>(bytes[24]);
    const int colourType = static_cast<unsigned char>(bytes[25]);
    const bool wellFormed = width > 0 && height > 0 && width <= 0x7FFFFFFF &&
                            height <= 0x7FFFFFFF && isPngDepthOfColourType(depth, colourType) &&
                            bytes[26] == 0 && bytes[27] == 0 && (bytes[28] == 0 || bytes[28] == 1);
    if (!wellFormed || !fitsDecodingLimit(width, height, pngBytesPerPixel(depth)))
        return std::nullopt;
    if (!png::holdsImageData(bytes, {width, height, depth, colourType, bytes[28] == 1}))
        return std::nullopt;
    return Image(std::string(bytes), "png", static_cast<int>(width), static_cast<int>(height));
}

}  // namespace

std::optional<Image> QtImageCodec::decode(std::string_view bytes) const {
    QByteArray data = borrowed(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Known only before reading: the reader detects it from the first bytes.
    const QByteArray format = reader.format().toLower();
    // A picture too large is refused by the size it announces, before any pixel is made.
    const QSize size = reader.size();
    if (size.isValid() && !fitsDecodingLimit(static_cast<std::uint64_t>(size.width()),
                                             static_cast<std::uint64_t>(size.height()),
                                             bytesPerPixel(reader.imageFormat())))
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return std::nullopt;
    return Image(std::string(bytes), format.toStdString(), image.width(), image.height());
}

std::optional<Image> QtImageCodec::inspect(std::string_view bytes) const {
    if (bytes.starts_with(pngSignature))
        return pngFromHeader(bytes);
    return decode(bytes);
}

std::optional<std::string> QtImageCodec::encodePng(const Image& image) const {
    if (image.format() == "png")
        return image.encoded();
    QImage decoded;
    if (!decoded.loadFromData(borrowed(image.encoded())))
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!decoded.save(&buffer, "PNG", fastPngQuality))
        return std::nullopt;
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

}  // namespace pindrake::platform
