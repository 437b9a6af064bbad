#include "converters/CharacterWidth.h"

namespace pindrake::converters::width {
namespace {

// The forms are mapped in their UTF-8 bytes: the ASCII bytes never occur inside a longer
// sequence, and every full-width form is three bytes long.
constexpr char32_t widthOffset = 0xFEE0;
constexpr char32_t ideographicSpace = 0x3000;

// The full-width form of an ASCII character, or nothing for one that has none.
std::optional<char32_t> fullForm(unsigned char c) {
    if (c >= 0x21 && c <= 0x7E)
        return c + widthOffset;
    if (c == ' ')
        return ideographicSpace;
    return std::nullopt;
}

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

// The ASCII form of the full-width character at `at`, or nothing where there is none.
std::optional<char> halfForm(std::string_view text, std::size_t at) {
    const auto c = threeByteCharacter(text, at);
    if (c && *c >= 0xFF01 && *c <= 0xFF5E)
        return static_cast<char>(*c - widthOffset);
    if (c == ideographicSpace)
        return ' ';
    return std::nullopt;
}

void appendThreeBytes(std::string& out, char32_t c) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::optional<std::string> halfWidth(std::string_view text, const ConversionBudget& budget) {
    std::size_t size = text.size();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (halfForm(text, at)) {
            size -= 2;
            at += 2;
        }
    }
    if (!budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (budget.isStoppedAt(at))
            return std::nullopt;
        if (const auto half = halfForm(text, at)) {
            out += *half;
            at += 2;
        } else {
            out += text[at];
        }
    }
    return out;
}

std::optional<std::string> fullWidth(std::string_view text, const ConversionBudget& budget) {
    std::size_t size = 0;
    for (const char c : text)
        size += fullForm(static_cast<unsigned char>(c)) ? 3 : 1;
    if (!budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (budget.isStoppedAt(at))
            return std::nullopt;
        if (const auto full = fullForm(static_cast<unsigned char>(text[at])))
            appendThreeBytes(out, *full);
        else
            out += text[at];
    }
    return out;
}

}  // namespace pindrake::converters::width
