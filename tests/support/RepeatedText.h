#pragma once

#include <string>
#include <string_view>

namespace pindrake::test_support {

// `unit` over and over, until the text is at least `size` bytes long.
inline std::string repeatedText(std::string_view unit, std::size_t size) {
    std::string text;
    text.reserve(size + unit.size());
    while (text.size() < size)
        text += unit;
    return text;
}

// `unit` written `count` times.
inline std::string repeated(std::string_view unit, std::size_t count) {
    std::string text;
    text.reserve(unit.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        text += unit;
    return text;
}

}  // namespace pindrake::test_support
