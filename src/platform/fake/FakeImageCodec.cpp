#include "platform/fake/FakeImageCodec.h"

namespace pindrake::platform {

std::optional<Image> FakeImageCodec::decode(std::string_view bytes) const {
    if (bytes.starts_with(pngSignature))
        return Image(std::string(bytes), "png", 1, 1);
    if (bytes.starts_with(tiffSignature))
        return Image(std::string(bytes), "tiff", 1, 1);
    return std::nullopt;
}

std::optional<std::string> FakeImageCodec::encodePng(const Image& image) const {
    if (image.format() == "png")
        return image.encoded();
    return std::string(pngSignature) + image.encoded();
}

}  // namespace pindrake::platform
