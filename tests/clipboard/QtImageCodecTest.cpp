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
