#pragma once

#include "platform/ImageCodec.h"

namespace pindrake::platform {

// Knows two made-up encodings: bytes starting with the PNG signature are a PNG, bytes starting
// with a TIFF byte-order mark are a TIFF; anything else does not decode. Every image is 1x1.
// Encoding a TIFF as PNG puts the PNG signature in front of its bytes.
class FakeImageCodec final : public ImageCodec {
  public:
    static constexpr std::string_view pngSignature{"\x89PNG\r\n\x1a\n", 8};
    static constexpr std::string_view tiffSignature{"II*\0", 4};

    std::optional<Image> decode(std::string_view bytes) const override;
    std::optional<Image> inspect(std::string_view bytes) const override { return decode(bytes); }
    std::optional<std::string> encodePng(const Image& image) const override;
};

}  // namespace pindrake::platform
