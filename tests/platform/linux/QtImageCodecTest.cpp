#include <QImageReader>

#include <gtest/gtest.h>

#include <optional>

#include "clipboard/ImageSamples.h"
#include "platform/linux/PngSamples.h"
#include "platform/linux/QtImageCodec.h"

namespace pindrake::platform {
namespace {

using clipboard::testing::encodedImage;
using testing::deflated;
using testing::pngStart;

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

// A PNG is taken by its structure without its pixels being made; the header must be intact and
// describe a picture within the codec's own limit of 128 MiB of pixels, whatever another part
// of the process set Qt's allocation limit to (here the 64 MiB a picture preview once set).
TEST(QtImageCodecTest, InspectsAPngByItsStructureAlone) {
    QtImageCodec codec;
    const int savedLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(64);
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
        {"above 64 MiB", pngStart(4100, 4096, 8, 6), 4100, 4096},
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
    // Decoding keeps to the same 128 MiB when Qt's limit would allow more.
    QImageReader::setAllocationLimit(512);
    EXPECT_FALSE(codec.decode(pngStart(4096, 8193, 8, 6)));
    QImageReader::setAllocationLimit(savedLimit);

    const std::string real = encodedImage("PNG", 40, 30);
    EXPECT_EQ(codec.inspect(real), codec.decode(real));
    const std::string tiff = encodedImage("TIFF", 20, 10);
    EXPECT_EQ(codec.inspect(tiff), codec.decode(tiff));
    EXPECT_FALSE(codec.inspect(tiff.substr(0, tiff.size() / 2)));  // other formats are decoded
}

// A PNG whose header is sound but whose image data would not decode is no picture: inspecting
// it agrees with decoding it.
TEST(QtImageCodecTest, InspectsThePixelDataOfAPngWithoutDecodingIt) {
    QtImageCodec codec;
    const std::uint64_t rgbaRow = 1 + 16 * 4;  // a filter byte and 16 pixels
    std::string damagedDataChecksum = pngStart(16, 16, 8, 6);
    damagedDataChecksum[damagedDataChecksum.size() - 12 - 1] ^= 1;
    std::string noPalette = pngStart(16, 16, 8, 3);
    noPalette.erase(33, 12 + 3);
    struct Case {
        std::string name;
        std::string png;
        bool isPicture;
    };
    const std::vector<Case> cases = {
        {"whole", pngStart(16, 16, 8, 6), true},
        {"1-bit grey", pngStart(16, 16, 1, 0), true},
        {"not compressed data", pngStart(16, 16, 8, 6, 0, "IHDR", std::string(200, 'x')), false},
        {"a row short", pngStart(16, 16, 8, 6, 0, "IHDR", deflated(rgbaRow * 15)), false},
        {"unknown row filter", pngStart(16, 16, 8, 6, 0, "IHDR", deflated(rgbaRow * 16, 5)), false},
        {"damaged data checksum", damagedDataChecksum, false},
        {"palette missing", noPalette, false},
        {"cut in the data", pngStart(16, 16, 8, 6).substr(0, 50), false},
        // Interlaced 8 x 8 RGBA: seven passes of 1, 1, 1, 2, 2, 4 and 4 rows, 271 bytes.
        {"interlaced", pngStart(8, 8, 8, 6, 1, "IHDR", deflated(271)), true},
        {"interlaced, rows of the plain layout", pngStart(8, 8, 8, 6, 1, "IHDR", deflated(264)),
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codec.inspect(c.png).has_value(), c.isPicture) << c.name;
        EXPECT_EQ(codec.decode(c.png).has_value(), c.isPicture) << c.name << ", decoded";
    }
}

}  // namespace
}  // namespace pindrake::platform
