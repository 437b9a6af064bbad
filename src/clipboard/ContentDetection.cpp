// The classification tests of ClipboardMonitor. Every test runs on every text a user copies,
// on the main thread, whatever its size: each is linear in the text and none recurses on its
// nesting. The patterns are matched by hand, never by std::regex.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <set>
#include <string>

#include "clipboard/Base64.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/JsonText.h"
#include "clipboard/MarkdownDetection.h"
#include "clipboard/Url.h"
#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "%[0-9A-Fa-f]{2}" found at least twice (matches do not overlap).
bool hasTwoPercentEscapes(std::string_view text) {
    int found = 0;
    for (auto percent = text.find('%');
         percent != std::string_view::npos && percent + 2 < text.size();
         percent = text.find('%', percent + 1)) {
        if (isHexDigit(text[percent + 1]) && isHexDigit(text[percent + 2])) {
            if (++found == 2)
                return true;
            percent += 2;
        }
    }
    return false;
}

bool isAsciiAlphanumeric(UChar32 c) {
    return c < 0x80 && ascii::isAlnum(static_cast<char>(c));
}

// The full case folding of the characters outside ASCII that fold to ASCII letters only (the
// long s, the Kelvin sign, sharp s and the Latin ligatures). Every other character outside
// ASCII folds to something no tag name holds, and ends the name.
std::string_view foldingToAscii(UChar32 c) {
    switch (c) {
        case 0x00DF:
        case 0x1E9E:
            return "ss";
        case 0x017F:
            return "s";
        case 0x212A:
            return "k";
        case 0xFB00:
            return "ff";
        case 0xFB01:
            return "fi";
        case 0xFB02:
            return "fl";
        case 0xFB03:
            return "ffi";
        case 0xFB04:
            return "ffl";
        case 0xFB05:
        case 0xFB06:
            return "st";
        default:
            return {};
    }
}

// "<(html|head|...|meta)[\s>/]" matched case-insensitively with full case folding (a long s
// counts as an "s"), where "\s" is any Unicode white space: an opening tag of a listed name.
// Written out, because a regular expression tries every name at every "<", which is far too slow
// for a text of millions of them. Takes valid UTF-8.
bool hasHtmlTag(std::string_view text) {
    static const std::set<std::string, std::less<>> names = {
        "html", "head", "body", "div",   "span",   "p",      "a",     "img",  "table",
        "tr",   "td",   "th",   "ul",    "ol",     "li",     "h1",    "h2",   "h3",
        "h4",   "h5",   "h6",   "br",    "hr",     "b",      "i",     "em",   "strong",
        "pre",  "code", "form", "input", "button", "script", "style", "link", "meta"};
    constexpr std::size_t longestName = 6;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (auto open = text.find('<'); open != std::string_view::npos;
         open = text.find('<', open + 1)) {
        // The name is folded as it is read; it must run up to the character that ends the tag.
        std::string name;
        auto at = static_cast<int32_t>(open + 1);
        while (at < length && name.size() <= longestName) {
            UChar32 c;
            U8_NEXT(bytes, at, length, c);
            if (c == '>' || c == '/' || (c >= 0 && u_isUWhiteSpace(c))) {
                if (names.contains(name))
                    return true;
                break;
            }
            if (isAsciiAlphanumeric(c)) {
                name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            } else if (const auto folded = foldingToAscii(c); !folded.empty()) {
                name += folded;
            } else {
                break;
            }
        }
    }
    return false;
}

bool isJwt(std::string_view text) {
    if (!text.starts_with("eyJ"))
        return false;
    int pieces = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto dot = std::min(text.find('.', start), text.size());
        if (dot > start && ++pieces > 3)
            return false;
        start = dot + 1;
    }
    return pieces == 3;
}

}  // namespace

// Takes valid UTF-8, as the capture makes it. Every test reads the text where it lies: it may be
// hundreds of megabytes.
ContentTags ClipboardMonitor::detectTags(std::string_view text) {
    const std::string_view trimmed = *unicode::trimmedView(text);
    ContentTags tags;
    if (isJSON(text))
        tags.insert(ContentTag::json);
    if (isJwt(trimmed))
        tags.insert(ContentTag::jwt);
    if (isUnixTimestamp(trimmed))
        tags.insert(ContentTag::unixTime);
    if (hasTwoPercentEscapes(trimmed))
        tags.insert(ContentTag::urlEncoded);
    if (isBase64(trimmed))
        tags.insert(ContentTag::base64);
    if (hasHtmlTag(trimmed))
        tags.insert(ContentTag::html);
    if (hasMarkdownBlockStructure(trimmed))
        tags.insert(ContentTag::markdown);
    if (containsFullWidth(trimmed))
        tags.insert(ContentTag::fullWidth);
    if (isColorCode(trimmed))
        tags.insert(ContentTag::colorCode);
    if (isURL(trimmed))
        tags.insert(ContentTag::url);
    return tags;
}

bool ClipboardMonitor::isJSON(std::string_view text) {
    return json_text::isJsonText(text);
}

bool ClipboardMonitor::isUnixTimestamp(std::string_view text) {
    // Only ASCII digits ever parse as a number, so other numeric characters fail here at once.
    if (text.size() != 10 && text.size() != 13)
        return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    double value = std::stod(std::string(text));
    if (text.size() == 13)
        value /= 1000;
    return value >= 946684800.0 && value <= 4102444800.0;
}

bool ClipboardMonitor::isBase64(std::string_view text) {
    // Line feeds do not count; carriage returns, spaces and tabs do (and fail the test). Most
    // texts fail on their first characters. Up to two "=" end the characters that count.
    std::size_t characters = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (c == '\n')
            continue;
        if (c == '=') {
            if (++padding > 2)
                return false;
        } else if (padding > 0 || !base64::isAlphabetCharacter(c)) {
            return false;
        }
        ++characters;
    }
    return characters >= 8 && characters % 4 == 0;
}

bool ClipboardMonitor::containsFullWidth(std::string_view text) {
    // U+FF01...U+FF5E and U+FF65...U+FF9F are the three-byte sequences EF BC 81 to EF BD 9E
    // and EF BD A5 to EF BE 9F.
    for (auto lead = text.find('\xEF'); lead != std::string_view::npos && lead + 2 < text.size();
         lead = text.find('\xEF', lead + 1)) {
        const auto second = static_cast<unsigned char>(text[lead + 1]);
        const auto third = static_cast<unsigned char>(text[lead + 2]);
        if ((third & 0xC0) != 0x80 || second < 0xBC || second > 0xBE)
            continue;
        const int codePoint = 0xF000 | (second & 0x3F) << 6 | (third & 0x3F);
        if ((codePoint >= 0xFF01 && codePoint <= 0xFF5E) ||
            (codePoint >= 0xFF65 && codePoint <= 0xFF9F)) {
            return true;
        }
    }
    return false;
}

bool ClipboardMonitor::isColorCode(std::string_view text) {
    const bool hexForm = (text.size() == 7 || text.size() == 4) && text.front() == '#' &&
                         std::all_of(text.begin() + 1, text.end(), isHexDigit);
    if (hexForm)
        return true;
    const std::string start = ascii::lowered(text.substr(0, 4));
    return start == "rgb(" || start == "hsl(";
}

bool ClipboardMonitor::isURL(std::string_view text) {
    if (!text.starts_with("http://") && !text.starts_with("https://"))
        return false;
    const auto url = Url::parse(text);
    return url && !url->host.empty();
}

}  // namespace pindrake::clipboard
