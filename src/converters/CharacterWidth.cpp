#include "converters/CharacterWidth.h"

#include <functional>

#include "foundation/Unicode.h"

namespace pindrake::converters::width {
namespace {

constexpr char32_t widthOffset = 0xFEE0;
constexpr char32_t ideographicSpace = 0x3000;

std::string mapped(std::string_view text, const std::function<char32_t(char32_t)>& map) {
    // Width forms all lie in the Basic Multilingual Plane, so surrogate pairs pass untouched.
    std::u16string units = unicode::toUtf16(text);
    for (char16_t& unit : units)
        unit = static_cast<char16_t>(map(unit));
    return unicode::toUtf8(units);
}

}  // namespace

std::string halfWidth(std::string_view text) {
    return mapped(text, [](char32_t c) -> char32_t {
        if (c >= 0xFF01 && c <= 0xFF5E)
            return c - widthOffset;
        return c == ideographicSpace ? U' ' : c;
    });
}

std::string fullWidth(std::string_view text) {
    return mapped(text, [](char32_t c) -> char32_t {
        if (c >= 0x21 && c <= 0x7E)
            return c + widthOffset;
        return c == U' ' ? ideographicSpace : c;
    });
}

}  // namespace pindrake::converters::width
