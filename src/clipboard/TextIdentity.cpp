#include "clipboard/TextIdentity.h"

#include <random>
#include <string>

#include "clipboard/SipHash.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard {

namespace {

const SipHashKey& processKey() {
    static const SipHashKey key = [] {
        std::random_device random;
        const auto word = [&random] {
            return std::uint64_t{random()} << 32 | std::uint64_t{random()};
        };
        return SipHashKey{word(), word()};
    }();
    return key;
}

}  // namespace

TextIdentity textIdentity(std::string_view text) {
    // Not NFC alone: it sorts a long run of marks in time quadratic in its length.
    const std::string normalized = unicode::streamSafeNfc(text);
    return {normalized.size(), SipHash128(processKey()).digest(normalized)};
}

}  // namespace pindrake::clipboard
