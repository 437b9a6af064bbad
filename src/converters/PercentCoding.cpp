#include "converters/PercentCoding.h"

#include <algorithm>
#include <array>

#include "converters/PieceWiseText.h"

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::converters::percent {
namespace {

bool isQueryAllowed(char c) {
    if (ascii::isAlnum(c))
        return true;
    return std::string_view("!$&'()*+,-./:;=?@_~").find(c) != std::string_view::npos;
}

// "%XY" for each byte.
constexpr auto percentEscapes = [] {
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::array<std::array<char, 3>, 256> escapes{};
    for (std::size_t byte = 0; byte < 256; ++byte)
        escapes[byte] = {'%', digits[byte >> 4], digits[byte & 0x0F]};
    return escapes;
}();

}  // namespace

std::optional<std::string> decoded(std::string_view text, const ConversionBudget& budget) {
    std::size_t escapes = 0;
    for (std::size_t at = text.find('%'); at != std::string_view::npos;
         at = text.find('%', at + 1)) {
        if (budget.isStoppedAt(++escapes))
            return std::nullopt;
    }
    // Each escape makes one byte of three; a "%" that starts none gives nothing back anyway.
    const std::size_t size = text.size() - std::min(text.size(), 2 * escapes);
    if (!budget.admits(size))
        return std::nullopt;
    std::string bytes;
    bytes.reserve(size);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (budget.isStoppedAt(i))
            return std::nullopt;
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? ascii::hexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? ascii::hexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!unicode::isValidUtf8(bytes, budget.stopToken()))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> encodedForQuery(std::string_view text, const ConversionBudget& budget) {
    return replacedPieceWise(text, budget, [text](std::size_t at) -> Piece {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (isQueryAllowed(text[at]))
            return {text.substr(at, 1), 1};
        return {std::string_view(percentEscapes[byte].data(), 3), 1};
    });
}

}  // namespace pindrake::converters::percent
