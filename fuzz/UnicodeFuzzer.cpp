#include "foundation/Unicode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Feeds arbitrary bytes to the Unicode helpers and checks what must hold for any input: every
// result is valid UTF-8, nothing non-empty turns empty, conversions round-trip, and the
// operations are consistent with each other.
namespace {

using namespace pindrake::unicode;

void require(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}

void checkConversions(std::string_view bytes) {
    const std::u16string utf16 = toUtf16(bytes);
    const std::string utf8 = toUtf8(utf16);
    require(bytes.empty() == utf16.empty(), "toUtf16 keeps non-empty input non-empty");
    require(isValidUtf8(utf8), "toUtf8(toUtf16(x)) is valid UTF-8");
    require(toUtf16(utf8) == utf16, "UTF-16 from toUtf16 round-trips through toUtf8");
    const std::string sanitized = sanitizedUtf8(bytes);
    require(isValidUtf8(sanitized), "sanitizedUtf8 is valid UTF-8");
    require(bytes.empty() == sanitized.empty(), "sanitizedUtf8 keeps non-empty input non-empty");
    if (isValidUtf8(bytes)) {
        require(utf8 == bytes, "valid UTF-8 round-trips through UTF-16 unchanged");
        require(sanitized == bytes, "sanitizedUtf8 leaves valid UTF-8 unchanged");
    }

    // The same bytes read as UTF-16 code units, lone surrogates included.
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    const std::string fromUnits = toUtf8(units);
    require(isValidUtf8(fromUnits), "toUtf8 of any UTF-16 is valid UTF-8");
    require(units.empty() == fromUnits.empty(), "toUtf8 keeps non-empty input non-empty");
    require(toUtf8(toUtf16(fromUnits)) == fromUnits, "repaired UTF-8 round-trips");
}

void checkGraphemes(std::string_view bytes) {
    const std::size_t count = graphemeCount(bytes);
    const std::string sanitized = sanitizedUtf8(bytes);
    require(bytes.empty() == (count == 0), "only empty text has no grapheme");
    require(count <= sanitized.size(), "no more graphemes than bytes");
    require(graphemeCount(sanitized) == count, "invalid bytes count as U+FFFD");
    require(graphemePrefix(bytes, count) == sanitized, "all graphemes make the whole text");
    require(graphemePrefix(bytes, count + 1) == sanitized, "a longer prefix is the whole text");

    for (const std::size_t wanted :
         {std::size_t{0}, std::size_t{1}, count / 2, count - count / 3}) {
        const std::string prefix = graphemePrefix(bytes, wanted);
        require(isValidUtf8(prefix), "graphemePrefix is valid UTF-8");
        require(graphemeCount(prefix) == std::min(wanted, count),
                "a prefix of n graphemes has n graphemes");
        require(sanitized.compare(0, prefix.size(), prefix) == 0,
                "graphemePrefix is a prefix of the (repaired) text");
    }
}

void checkNormalizationAndTrimming(std::string_view bytes) {
    const std::string normalized = nfc(bytes);
    require(isValidUtf8(normalized), "nfc is valid UTF-8");
    require(bytes.empty() == normalized.empty(), "nfc keeps non-empty input non-empty");
    require(nfc(normalized) == normalized, "nfc is idempotent");

    const std::string trimmedText = trimmed(bytes);
    require(isValidUtf8(trimmedText), "trimmed is valid UTF-8");
    require(trimmed(trimmedText) == trimmedText, "trimmed is idempotent");
    require(isBlank(bytes) == trimmedText.empty(), "blank exactly when trimming leaves nothing");
    if (isValidUtf8(bytes)) {
        require(bytes.find(trimmedText) != std::string_view::npos,
                "trimming valid text keeps a piece of it");
    }
}

// What search relies on: a query is found in a text when the folded text holds the folded query.
bool foldedContains(std::string_view haystack, std::string_view needle) {
    return caseFolded(haystack).find(caseFolded(needle)) != std::string::npos;
}

void checkContainment(std::string_view bytes) {
    require(foldedContains(bytes, ""), "the empty needle is always contained");
    require(foldedContains(bytes, bytes), "text contains itself");
    if (bytes.size() < 2) {
        return;
    }
    // Two input bytes choose a needle inside the rest; for valid text any whole-character
    // piece must be found, whatever the case mapping does to the characters around it.
    const std::string_view haystack = bytes.substr(2);
    const std::size_t start = static_cast<unsigned char>(bytes[0]) % (haystack.size() + 1);
    const std::size_t length = static_cast<unsigned char>(bytes[1]);
    const std::string_view needle = haystack.substr(start, length);
    if (isValidUtf8(haystack) && isValidUtf8(needle)) {
        require(foldedContains(haystack, needle), "a piece of the text is contained");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkConversions(bytes);
    checkGraphemes(bytes);
    checkNormalizationAndTrimming(bytes);
    checkContainment(bytes);
    return 0;
}
