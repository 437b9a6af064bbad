#include "platform/linux/PngImageData.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <vector>

namespace pindrake::platform::png {
namespace {

// Signature (8 bytes), then the header chunk: length, type, 13 bytes, checksum.
constexpr std::size_t firstChunkAfterHeader = 8 + 4 + 4 + 13 + 4;
constexpr int highestFilterType = 4;

int samplesPerPixel(int colourType) {
    switch (colourType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

// The rows the inflated data must hold, pass by pass: how many, and the bytes of each with its
// filter byte. Interlaced pictures come as seven reduced pictures, some of them empty.
struct RowRun {
    std::uint64_t rows;
    std::uint64_t bytes;
};

std::vector<RowRun> rowRuns(const Header& header) {
    const std::uint64_t bitsPerPixel =
        static_cast<std::uint64_t>(header.depth) * samplesPerPixel(header.colourType);
    const auto run = [&](std::uint64_t columns, std::uint64_t rows) {
        return RowRun{columns == 0 ? 0 : rows, 1 + (columns * bitsPerPixel + 7) / 8};
    };
    if (!header.interlaced)
        return {run(header.width, header.height)};
    struct Pass {
        int x0, dx, y0, dy;
    };
    constexpr std::array<Pass, 7> passes{{{0, 8, 0, 8},
                                          {4, 8, 0, 8},
                                          {0, 4, 4, 8},
                                          {2, 4, 0, 4},
                                          {0, 2, 2, 4},
                                          {1, 2, 0, 2},
                                          {0, 1, 1, 2}}};
    std::vector<RowRun> runs;
    for (const Pass& pass : passes) {
        const auto count = [](std::uint64_t size, int start, int step) {
            return size > static_cast<std::uint64_t>(start) ? (size - start + step - 1) / step : 0;
        };
        runs.push_back(
            run(count(header.width, pass.x0, pass.dx), count(header.height, pass.y0, pass.dy)));
    }
    return runs;
}

// Follows the inflated bytes through the rows, checking each row's filter byte.
class RowWalker {
  public:
    explicit RowWalker(std::vector<RowRun> runs) : runs_(std::move(runs)) { skipEmptyRuns(); }

    // False at a bad filter byte. Data past the last row is ignored, as decoders do.
    bool take(const unsigned char* data, std::size_t size) {
        while (size > 0 && !complete()) {
            const RowRun& run = runs_[run_];
            if (inRow_ == 0 && data[0] > highestFilterType)
                return false;
            const std::uint64_t step = std::min<std::uint64_t>(size, run.bytes - inRow_);
            data += step;
            size -= step;
            inRow_ += step;
            if (inRow_ == run.bytes) {
                inRow_ = 0;
                if (++row_ == run.rows) {
                    row_ = 0;
                    ++run_;
                    skipEmptyRuns();
                }
            }
        }
        return true;
    }

    bool complete() const { return run_ == runs_.size(); }

  private:
    void skipEmptyRuns() {
        while (run_ < runs_.size() && runs_[run_].rows == 0)
            ++run_;
    }

    std::vector<RowRun> runs_;
    std::size_t run_ = 0;
    std::uint64_t row_ = 0;
    std::uint64_t inRow_ = 0;
};

class Inflater {
  public:
    Inflater() { ready_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater() {
        if (ready_)
            inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Feeds one chunk's data through to `rows`; false when the data is damaged. Stops once
    // every row is there, so that a small chunk that inflates to gigabytes costs no more than
    // the picture.
    bool feed(std::string_view data, RowWalker& rows) {
        if (!ready_)
            return false;
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream_.avail_in = static_cast<uInt>(data.size());
        while (stream_.avail_in > 0 && !ended_ && !rows.complete()) {
            stream_.next_out = buffer_.data();
            stream_.avail_out = static_cast<uInt>(buffer_.size());
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END)
                return false;
            ended_ = result == Z_STREAM_END;
            if (!rows.take(buffer_.data(), buffer_.size() - stream_.avail_out))
                return false;
        }
        return true;
    }

  private:
    z_stream stream_{};
    bool ready_ = false;
    bool ended_ = false;
    std::array<unsigned char, 64 * 1024> buffer_{};
};

}  // namespace

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::uint32_t checksum(std::string_view typeAndData) {
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                                            static_cast<uInt>(typeAndData.size())));
}

bool holdsImageData(std::string_view png, const Header& header) {
    RowWalker rows(rowRuns(header));
    Inflater inflater;
    bool seenPalette = false;
    bool seenData = false;
    bool dataEnded = false;
    for (std::size_t at = firstChunkAfterHeader; !dataEnded;) {
        if (at == png.size() && seenData)
            break;  // no end chunk, which decoders do without
        if (png.size() - at < 12)
            return false;
        const std::uint32_t length = bigEndian32(png, at);
        if (length > png.size() - at - 12)
            return false;
        const std::string_view typeAndData = png.substr(at + 4, 4 + std::size_t{length});
        if (checksum(typeAndData) != bigEndian32(png, at + 8 + length))
            return false;
        const std::string_view type = typeAndData.substr(0, 4);
        if (type == "IDAT") {
            if (header.colourType == 3 && !seenPalette)
                return false;
            if (!inflater.feed(typeAndData.substr(4), rows))
                return false;
            seenData = true;
        } else if (seenData || type == "IEND") {
            dataEnded = true;  // the image data is one run of chunks
        } else if (type == "PLTE") {
            seenPalette = true;
        }
        at += 12 + std::size_t{length};
    }
    return rows.complete();
}

}  // namespace pindrake::platform::png
