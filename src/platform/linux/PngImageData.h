#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pindrake::platform::png {

// What a PNG's header chunk says of its pixels.
struct Header {
    std::uint32_t width;
    std::uint32_t height;
    int depth;       // bits per sample
    int colourType;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced;
};

// The 32-bit big-endian number at `at` in `bytes`, as PNG writes lengths and sizes.
std::uint32_t bigEndian32(std::string_view bytes, std::size_t at);
// The CRC-32 that ends each chunk, of its type and data.
std::uint32_t checksum(std::string_view typeAndData);

// Whether the chunks after the header of `png` (the whole file) hold the pixel data the header
// announces: every chunk whole with its checksum, a palette where one is needed, and image
// data that inflates to every row, each with a valid filter. The pixels are never kept: the
// data is inflated through a small buffer, which costs a fraction of decoding the picture.
bool holdsImageData(std::string_view png, const Header& header);

}  // namespace pindrake::platform::png
