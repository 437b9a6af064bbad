#pragma once

#include <string>
#include <string_view>

// ASCII character classes and case, the same under every locale. The <cctype> functions follow
// the user's locale once it is set for message catalogues: under a Turkish locale 'I' does not
// lower to 'i'. Protocol text (schemes, host names, MIME types, hex digits) needs these instead.
namespace pindrake::ascii {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
constexpr bool isAlpha(char c) {
    return isUpper(c) || isLower(c);
}
constexpr bool isAlnum(char c) {
    return isAlpha(c) || isDigit(c);
}
// Space, tab, line feed, line tabulation, form feed and carriage return.
constexpr bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// The printable characters that are neither letters, digits nor the space.
constexpr bool isPunct(char c) {
    return c > ' ' && c < 0x7f && !isAlnum(c);
}
// The value of a hexadecimal digit of either case, or -1.
constexpr int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
constexpr bool isHexDigit(char c) {
    return hexValue(c) >= 0;
}
constexpr char toLower(char c) {
    return isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char toUpper(char c) {
    return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
// The text with its ASCII letters lowered; every other byte kept.
inline std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = toLower(c);
    return out;
}

}  // namespace pindrake::ascii
