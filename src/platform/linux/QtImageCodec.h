#pragma once

#include "platform/ImageCodec.h"

namespace pindrake::platform {

// Images through QImage and Qt's image format plugins; needs no display.
class QtImageCodec final : public ImageCodec {
  public:
    std::optional<Image> decode(std::string_view bytes) const override;
    std::optional<Image> inspect(std::string_view bytes) const override;
    std::optional<std::string> encodePng(const Image& image) const override;
};

}  // namespace pindrake::platform
