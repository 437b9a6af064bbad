#include "platform/Image.h"

namespace pindrake::platform {

Image::Image(std::string encoded, std::string format, int width, int height)
    : encoded_(std::make_shared<const std::string>(std::move(encoded))),
      format_(std::move(format)),
      width_(width),
      height_(height) {}

bool Image::operator==(const Image& other) const {
    return width_ == other.width_ && height_ == other.height_ && format_ == other.format_ &&
           (encoded_ == other.encoded_ || *encoded_ == *other.encoded_);
}

}  // namespace pindrake::platform
