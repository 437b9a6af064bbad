#include <QImageReader>

#include <gtest/gtest.h>

#include "clipboard/ImageSamples.h"
#include "platform/linux/QtImageCodec.h"

namespace pindrake::platform {
namespace {

using clipboard::testing::encodedImage;

TEST(QtImageCodecTest, DecodesTheCommonFormatsRefusesWhatIsNoWholePictureAndEncodesPng) {
    QtImageCodec codec;
    for (const auto& [writtenAs, format] : std::vector<std::pair<const char*, std::string>>{
             {"PNG", "png"}, {"JPEG", "jpeg"}, {"ICO", "ico"}, {"TIFF", "tiff"}, {"BMP", "bmp"}}) {
        const std::string bytes = encodedImage(writtenAs);
        ASSERT_FALSE(bytes.empty()) << writtenAs << " cannot be written here";
        const auto image = codec.decode(bytes);
        ASSERT_TRUE(image) << writtenAs;
        EXPECT_EQ(image->format(), format);
        EXPECT_EQ(image->width(), 16);
        EXPECT_EQ(image->height(), 8);
        EXPECT_EQ(image->encoded(), bytes);
    }
    const std::string png = encodedImage("PNG", 64, 64);
    for (const std::string& bytes :
         {std::string(), std::string("<html>"), png.substr(0, png.size() / 2)})
        EXPECT_FALSE(codec.decode(bytes)) << bytes.size();

    // A PNG is kept as it came; other formats are converted.
    EXPECT_EQ(codec.encodePng(*codec.decode(png)), png);
    const auto converted = codec.encodePng(*codec.decode(encodedImage("TIFF", 20, 10)));
    const auto back = codec.decode(converted.value_or(""));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tuple(back->format(), back->width(), back->height()), std::tuple("png", 20, 10));
}

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// A PNG signature and a first chunk (13 bytes: width, height, depth, colour type, compression,
// filter, interlace) with its checksum, followed by pixel bytes that must never be looked at.
std::string pngStart(std::uint32_t width, std::uint32_t height, int depth, int colourType,
                     int interlace = 0, const std::string& chunkType = "IHDR") {
    std::string chunk = chunkType;
    appendBigEndian(chunk, width);
    appendBigEndian(chunk, height);
    for (int field : {depth, colourType, 0, 0, interlace})
        chunk += static_cast<char>(field);
    std::uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char byte : chunk) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0D", 12);
    appendBigEndian(chunk, ~crc);
    return png + chunk + "pixels that were never decoded";
}

// A PNG is taken by its signature and header chunk without decoding its pixels; the header
// must be intact and describe a picture Qt would agree to decode.
TEST(QtImageCodecTest, InspectsAPngByItsHeaderAlone) {
    QtImageCodec codec;
    const int savedLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(128);  // MiB: 4096 x 8192 RGBA at 8 bits fits exactly
    std::string damagedChecksum = pngStart(3840, 2160, 8, 6);
    damagedChecksum[32] ^= 1;
    struct Case {
        std::string name;
        std::string png;
        int width;  // 0: refused
        int height;
    };
    const std::vector<Case> cases = {
        {"screenshot", pngStart(3840, 2160, 8, 6), 3840, 2160},
        {"damaged checksum", damagedChecksum, 0, 0},
        {"no width", pngStart(0, 10, 8, 6), 0, 0},
        {"width beyond the format", pngStart(0x80000000, 1, 8, 6), 0, 0},
        {"exactly the limit", pngStart(4096, 8192, 8, 6), 4096, 8192},
        {"one row over the limit", pngStart(4096, 8193, 8, 6), 0, 0},
        {"16 bits a channel over the limit", pngStart(4096, 8192, 16, 6), 0, 0},
        {"palette", pngStart(16, 16, 8, 3), 16, 16},
        {"RGB at 4 bits", pngStart(16, 16, 4, 2), 0, 0},
        {"unknown interlace method", pngStart(16, 16, 8, 6, 2), 0, 0},
        {"pixel data first", pngStart(16, 16, 8, 6, 0, "IDAT"), 0, 0},
        {"cut inside the header", pngStart(3840, 2160, 8, 6).substr(0, 20), 0, 0},
    };
    for (const auto& c : cases) {
        const auto image = codec.inspect(c.png);
        if (c.width == 0) {
            EXPECT_FALSE(image) << c.name;
            continue;
        }
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->format(), "png") << c.name;
        EXPECT_EQ(image->width(), c.width) << c.name;
        EXPECT_EQ(image->height(), c.height) << c.name;
        EXPECT_EQ(image->encoded(), c.png) << c.name;
    }
    QImageReader::setAllocationLimit(savedLimit);

    const std::string real = encodedImage("PNG", 40, 30);
    EXPECT_EQ(codec.inspect(real), codec.decode(real));
    const std::string tiff = encodedImage("TIFF", 20, 10);
    EXPECT_EQ(codec.inspect(tiff), codec.decode(tiff));
    EXPECT_FALSE(codec.inspect(tiff.substr(0, tiff.size() / 2)));  // other formats are decoded
}

}  // namespace
}  // namespace pindrake::platform
