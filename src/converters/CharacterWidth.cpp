#include "converters/CharacterWidth.h"

#include <array>

#include "converters/PieceWiseText.h"

namespace pindrake::converters::width {
namespace {

// The forms are mapped in their UTF-8 bytes: the ASCII bytes never occur inside a longer
// sequence, and every full-width form is three bytes long.
constexpr char32_t widthOffset = 0xFEE0;
constexpr char32_t ideographicSpace = 0x3000;

// The UTF-8 of the full-width form of each ASCII character that has one, and empty otherwise.
constexpr auto fullForms = [] {
    std::array<std::array<char, 3>, 128> forms{};
    for (char32_t c = 0x20; c <= 0x7E; ++c) {
        const char32_t full = c == U' ' ? ideographicSpace : c + widthOffset;
        forms[c] = {static_cast<char>(0xE0 | full >> 12),
                    static_cast<char>(0x80 | (full >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (full & 0x3F))};
    }
    return forms;
}();

// The character the three bytes at `at` stand for, when they are a sequence of that length.
std::optional<char32_t> threeByteCharacter(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size())
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    if ((lead & 0xF0) != 0xE0 || (second & 0xC0) != 0x80 || (third & 0xC0) != 0x80)
        return std::nullopt;
    return (char32_t{lead} & 0x0F) << 12 | (char32_t{second} & 0x3F) << 6 | (third & 0x3F);
}

// Each ASCII character once, for the half-width forms to stand in.
constexpr std::string_view asciiCharacters =
    " !\"#$%&'()*+,-./"
    "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

}  // namespace

std::optional<std::string> halfWidth(std::string_view text, const ConversionBudget& budget) {
    return replacedPieceWise(text, budget, [text](std::size_t at) -> Piece {
        const auto c = threeByteCharacter(text, at);
        if (c && *c >= 0xFF01 && *c <= 0xFF5E)
            return {asciiCharacters.substr(*c - widthOffset - U' ', 1), 3};
        if (c == ideographicSpace)
            return {asciiCharacters.substr(0, 1), 3};
        return {text.substr(at, 1), 1};
    });
}

std::optional<std::string> fullWidth(std::string_view text, const ConversionBudget& budget) {
    return replacedPieceWise(text, budget, [text](std::size_t at) -> Piece {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x20 && c <= 0x7E)
            return {std::string_view(fullForms[c].data(), 3), 1};
        return {text.substr(at, 1), 1};
    });
}

}  // namespace pindrake::converters::width
