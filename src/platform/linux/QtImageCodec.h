#pragma once

#include "platform/ImageCodec.h"

namespace pindrake::platform {

// Images through QImage and Qt's image format plugins; needs no display.
class QtImageCodec final : public ImageCodec {
  public:
    // Pictures whose pixels would take more than this are refused. A PNG is inspected by this
    // bound alone, whatever Qt's process-wide allocation limit is set to; decoding also stays
    // within that process-wide limit (Qt's default: nothing in the app changes it).
    static constexpr unsigned decodingLimitMiB = 128;

    std::optional<Image> decode(std::string_view bytes) const override;
    std::optional<Image> inspect(std::string_view bytes) const override;
    std::optional<std::string> encodePng(const Image& image) const override;
};

}  // namespace pindrake::platform
