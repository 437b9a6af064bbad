#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Image.h"

namespace pindrake::platform {

// Decoding and PNG encoding of bitmap images (PNG, TIFF, JPEG, ICO, ...). Safe to call from any
// thread.
class ImageCodec {
  public:
    virtual ~ImageCodec() = default;

    // An image when the bytes hold a whole picture of a known format with at least one pixel;
    // nothing otherwise (truncated data, unknown formats, pictures too large to decode).
    virtual std::optional<Image> decode(std::string_view bytes) const = 0;
    // As `decode`, except that a PNG is judged by its structure (a size that `decode` would
    // accept, and image data that inflates to every row) without its pixels being made: the
    // check a capture can afford on the main thread for a large screenshot. Other formats are
    // decoded as by `decode`.
    virtual std::optional<Image> inspect(std::string_view bytes) const = 0;
    // The picture as PNG bytes. A PNG comes back as it is.
    virtual std::optional<std::string> encodePng(const Image& image) const = 0;
};

}  // namespace pindrake::platform
