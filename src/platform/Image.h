#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace pindrake::platform {

// A picture kept in the encoded form it arrived in: copies share the bytes, and a PNG can be
// stored as it came without being encoded again. Images are made by `ImageCodec`, which checks
// that the bytes decode before it hands one out.
class Image {
  public:
    Image(std::string encoded, std::string format, int width, int height);

    const std::string& encoded() const { return *encoded_; }
    // The codec's lower-case name of the encoding: "png", "tiff", "jpeg", "ico", ...
    const std::string& format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }

    bool operator==(const Image& other) const;

  private:
    std::shared_ptr<const std::string> encoded_;
    std::string format_;
    int width_;
    int height_;
};

}  // namespace pindrake::platform
