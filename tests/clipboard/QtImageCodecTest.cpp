#include <QImageReader>

#include <gtest/gtest.h>

#include "clipboard/ImageSamples.h"
#include "platform/linux/QtImageCodec.h"

namespace pindrake::platform {
namespace {

using clipboard::testing::encodedImage;

TEST(QtImageCodecTest, DecodesTheCommonFormats) {
    QtImageCodec codec;
    struct Case {
        const char* writtenAs;
        std::string format;
    };
    for (const Case& c : {Case{"PNG", "png"}, Case{"JPEG", "jpeg"}, Case{"ICO", "ico"},
                          Case{"TIFF", "tiff"}, Case{"BMP", "bmp"}}) {
        const std::string bytes = encodedImage(c.writtenAs);
        ASSERT_FALSE(bytes.empty()) << c.writtenAs << " cannot be written here";
        const auto image = codec.decode(bytes);
        ASSERT_TRUE(image) << c.writtenAs;
        EXPECT_EQ(image->format(), c.format);
        EXPECT_EQ(image->width(), 16);
        EXPECT_EQ(image->height(), 8);
        EXPECT_EQ(image->encoded(), bytes);
    }
}

TEST(QtImageCodecTest, RefusesWhatIsNoWholePicture) {
    QtImageCodec codec;
    const std::string png = encodedImage("PNG", 64, 64);
    EXPECT_FALSE(codec.decode(""));
    EXPECT_FALSE(codec.decode("<html>not an image</html>"));
    EXPECT_FALSE(codec.decode(png.substr(0, png.size() / 2)));
}

// Bytes with NULs in them, from a literal.
template <std::size_t n>
std::string bytes(const char (&literal)[n]) {
    return std::string(literal, n - 1);
}

// A PNG is taken by its signature and header chunk without decoding its pixels; the header
// must be intact and describe a picture Qt would agree to decode.
TEST(QtImageCodecTest, InspectsAPngByItsHeaderAlone) {
    QtImageCodec codec;
    const int savedLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(128);  // MiB
    const std::string signature = bytes("\x89PNG\r\n\x1A\n");
    // Header chunks: length 13, "IHDR", width, height, depth, colour type, compression, filter,
    // interlace, checksum.
    struct Case {
        std::string name;
        std::string header;
        int width;  // 0: refused
        int height;
    };
    const std::vector<Case> cases = {
        {"screenshot",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x0F\x00\x00\x00\x08"
               "\x70\x08\x06\x00\x00\x00\x90\xBE\xCB\x72"),
         3840, 2160},
        {"damaged checksum",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x0F\x00\x00\x00"
               "\x08\x70\x08\x06\x00\x00\x00\x90\xBE\xCB\x73"),
         0, 0},
        {"no width",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x00\x00\x00\x00\x0A"
               "\x08\x06\x00\x00\x00\x9A\x10\x5F\x74"),
         0, 0},
        {"width beyond the format",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x80\x00\x00\x00\x00"
               "\x00\x00\x01\x08\x06\x00\x00\x00\x50\xBD\x8A\xA0"),
         0, 0},
        {"exactly the limit",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x10\x00\x00\x00"
               "\x20\x00\x08\x06\x00\x00\x00\x5A\xC0\x81\x45"),
         4096, 8192},
        {"one row over the limit",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x10\x00\x00"
               "\x00\x20\x01\x08\x06\x00\x00\x00\x91\x9C\x52\xE0"),
         0, 0},
        {"16 bits a channel over the limit",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x10\x00\x00\x00\x20\x00\x10\x06"
               "\x00\x00\x00\x0A\x50\x5D\x06"),
         0, 0},
        {"palette",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x10\x00\x00\x00\x10"
               "\x08\x03\x00\x00\x00\x28\x2D\x0F\x53"),
         16, 16},
        {"RGB at 4 bits",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x10\x00\x00\x00"
               "\x10\x04\x02\x00\x00\x00\x55\x61\x85\x37"),
         0, 0},
        {"unknown interlace method",
         bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x10\x00"
               "\x00\x00\x10\x08\x06\x00\x00\x02\xF1\xFD\x9E\x4D"),
         0, 0},
        {"pixel data first",
         bytes("\x00\x00\x00\x0D\x49\x44\x41\x54\x00\x00\x00\x10\x00\x00"
               "\x00\x10\x08\x06\x00\x00\x00\x73\x94\xD9\x94"),
         0, 0},
        {"cut inside the header", bytes("\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x0F\x00"), 0, 0},
    };
    for (const auto& c : cases) {
        // What follows the header is never looked at.
        const std::string png = signature + c.header + "pixels that were never decoded";
        const auto image = codec.inspect(png);
        if (c.width == 0) {
            EXPECT_FALSE(image) << c.name;
            continue;
        }
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->format(), "png") << c.name;
        EXPECT_EQ(image->width(), c.width) << c.name;
        EXPECT_EQ(image->height(), c.height) << c.name;
        EXPECT_EQ(image->encoded(), png) << c.name;
    }
    QImageReader::setAllocationLimit(savedLimit);

    const std::string real = encodedImage("PNG", 40, 30);
    EXPECT_EQ(codec.inspect(real), codec.decode(real));
    const std::string tiff = encodedImage("TIFF", 20, 10);
    EXPECT_EQ(codec.inspect(tiff), codec.decode(tiff));
    EXPECT_FALSE(codec.inspect(tiff.substr(0, tiff.size() / 2)));  // other formats are decoded
    EXPECT_FALSE(codec.inspect("<html>not an image</html>"));
}

TEST(QtImageCodecTest, EncodesPngOnlyWhenNeeded) {
    QtImageCodec codec;
    const std::string png = encodedImage("PNG");
    EXPECT_EQ(codec.encodePng(*codec.decode(png)), png);

    const auto tiff = codec.decode(encodedImage("TIFF", 20, 10));
    ASSERT_TRUE(tiff);
    const auto converted = codec.encodePng(*tiff);
    ASSERT_TRUE(converted);
    const auto back = codec.decode(*converted);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->format(), "png");
    EXPECT_EQ(back->width(), 20);
    EXPECT_EQ(back->height(), 10);
}

}  // namespace
}  // namespace pindrake::platform
