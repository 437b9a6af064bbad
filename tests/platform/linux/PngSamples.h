#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// PNG files made byte by byte, for checks of how a PNG's structure is judged.
namespace pindrake::platform::testing {

inline void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// A chunk: its data's length, its type, the data and the checksum of type and data.
inline std::string chunk(const std::string& type, const std::string& data) {
    std::string out;
    appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string typeAndData = type + data;
    out += typeAndData;
    appendBigEndian(
        out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                                              static_cast<uInt>(typeAndData.size()))));
    return out;
}

// `size` bytes of `fill` compressed as image data, without ever holding them all.
inline std::string deflated(std::uint64_t size, char fill = 0, int level = Z_BEST_SPEED) {
    z_stream stream{};
    deflateInit(&stream, level);
    std::vector<unsigned char> in(1 << 16, static_cast<unsigned char>(fill));
    std::vector<unsigned char> out(1 << 16);
    std::string compressed;
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH;) {
        const auto step = static_cast<uInt>(std::min<std::uint64_t>(size, in.size()));
        size -= step;
        flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = in.data();
        stream.avail_in = step;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return compressed;
}

// A PNG signature and a first chunk (13 bytes: width, height, depth, colour type, compression,
// filter, interlace), then a palette where the colour type needs one, image data and the end.
// The image data holds every row of a non-interlaced picture (black, unfiltered) unless given.
inline std::string pngStart(std::uint32_t width, std::uint32_t height, int depth, int colourType,
                            int interlace = 0, const std::string& chunkType = "IHDR",
                            std::optional<std::string> imageData = std::nullopt) {
    std::string header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    for (int field : {depth, colourType, 0, 0, interlace})
        header += static_cast<char>(field);
    const int samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const std::uint64_t rowBytes = 1 + (std::uint64_t{width} * depth * samples + 7) / 8;
    std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + chunk(chunkType, header);
    if (colourType == 3)
        png += chunk("PLTE", std::string(3, '\0'));
    // Pictures beyond what Qt decodes are refused by their header; they get no data.
    const std::uint64_t size = rowBytes * height;
    if (!imageData)
        imageData = size <= std::uint64_t{1} << 28 ? deflated(size) : std::string();
    return png + chunk("IDAT", *imageData) + chunk("IEND", "");
}

}  // namespace pindrake::platform::testing
