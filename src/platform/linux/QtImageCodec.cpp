#include "platform/linux/QtImageCodec.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

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

// Qt refuses to decode pictures whose pixels would take more than its allocation limit (a
// setting of the app's); it gives most pictures four bytes a pixel, eight at 16 bits a channel.
bool fitsDecodingLimit(std::uint64_t width, std::uint64_t height, int depth) {
    const std::uint64_t limitMiB = static_cast<std::uint64_t>(QImageReader::allocationLimit());
    const std::uint64_t bytesPerPixel = depth == 16 ? 8 : 4;
    return limitMiB == 0 || width * height * bytesPerPixel <= limitMiB << 20;
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
    if (!wellFormed || !fitsDecodingLimit(width, height, depth))
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
    // Qt's allocation limit refuses pictures whose pixels would not fit in memory.
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
