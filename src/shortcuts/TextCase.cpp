#include "shortcuts/TextCase.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace pindrake::GlobalShortcuts {

std::string capitalized(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
    std::string out;
    unicode.toTitle(nullptr, icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

std::string lowercased(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
    std::string out;
    unicode.toLower(icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

}  // namespace pindrake::GlobalShortcuts
