#include "foundation/Ascii.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <string>

namespace pindrake::ascii {
namespace {

// Every byte classes as the C locale's table has it, whatever locale the user runs in; bytes of
// multi-byte characters are in no class and keep their case.
TEST(Ascii, EveryByteClassesAsInTheCLocale) {
    const std::string userLocale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const bool ascii = byte < 0x80;
        EXPECT_EQ(isDigit(c), ascii && std::isdigit(byte) != 0) << byte;
        EXPECT_EQ(isAlpha(c), ascii && std::isalpha(byte) != 0) << byte;
        EXPECT_EQ(isAlnum(c), ascii && std::isalnum(byte) != 0) << byte;
        EXPECT_EQ(isHexDigit(c), ascii && std::isxdigit(byte) != 0) << byte;
        EXPECT_EQ(isSpace(c), ascii && std::isspace(byte) != 0) << byte;
        EXPECT_EQ(isPunct(c), ascii && std::ispunct(byte) != 0) << byte;
        EXPECT_EQ(toLower(c), ascii ? static_cast<char>(std::tolower(byte)) : c) << byte;
        EXPECT_EQ(toUpper(c), ascii ? static_cast<char>(std::toupper(byte)) : c) << byte;
    }
    std::setlocale(LC_CTYPE, userLocale.c_str());
}

}  // namespace
}  // namespace pindrake::ascii
