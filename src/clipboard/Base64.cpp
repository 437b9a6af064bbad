#include "clipboard/Base64.h"

#include <array>
#include <cstdint>

namespace pindrake::clipboard::base64 {

namespace {

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t invalid = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodingTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(invalid);
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return table;
}

constexpr auto decodingTable = makeDecodingTable();

std::uint8_t sextet(char c) {
    return decodingTable[static_cast<unsigned char>(c)];
}

}  // namespace

std::optional<std::string> encode(std::string_view bytes, const CancellationToken& stop) {
    if (stop.isCancelled())
        return std::nullopt;
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* o = out.data();
    const auto byte = [&](std::size_t i) -> std::uint32_t {
        return static_cast<unsigned char>(bytes[i]);
    };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        if (stop.isCancelledAt(i / 3 + 1))
            return std::nullopt;
        const std::uint32_t n = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        *o++ = alphabet[n >> 18 & 63];
        *o++ = alphabet[n >> 12 & 63];
        *o++ = alphabet[n >> 6 & 63];
        *o++ = alphabet[n & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const std::uint32_t n = byte(i) << 16 | (rest == 2 ? byte(i + 1) << 8 : 0);
        *o++ = alphabet[n >> 18 & 63];
        *o++ = alphabet[n >> 12 & 63];
        if (rest == 2)
            *o = alphabet[n >> 6 & 63];
    }
    return out;
}

std::string encode(std::string_view bytes) {
    return *encode(bytes, CancellationToken::never());
}

bool isAlphabetCharacter(char c) {
    return sextet(c) != invalid;
}

bool isValid(std::string_view text, const CancellationToken& stop) {
    if (text.size() % 4 != 0)
        return false;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    const std::size_t dataLength = text.size() - padding;
    for (std::size_t i = 0; i < dataLength; ++i) {
        if (stop.isCancelledAt(i) || sextet(text[i]) == invalid)
            return false;
    }
    return true;
}

std::optional<std::string> decode(std::string_view text, const CancellationToken& stop) {
    if (!isValid(text, stop))
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < text.size() && text[i] != '='; ++i) {
        if (stop.isCancelledAt(i))
            return std::nullopt;
        buffer = buffer << 6 | sextet(text[i]);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>(buffer >> bits & 0xFF);
        }
    }
    return out;
}

}  // namespace pindrake::clipboard::base64
