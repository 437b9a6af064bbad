#include "platform/linux/PasteboardTypeMapping.h"

#include <array>

#include "foundation/Ascii.h"
#include "foundation/UriList.h"
#include "platform/Pasteboard.h"

namespace pindrake::platform::linux_types {

namespace {

struct Pair {
    std::string_view mime;
    std::string_view type;
};

// The first pair of a type gives the MIME type it is written as.
constexpr std::array<Pair, 8> pairs = {{
    {"text/plain", pasteboard_type::plainText},
    {"text/plain;charset=utf-8", pasteboard_type::plainText},
    {"UTF8_STRING", pasteboard_type::plainText},
    {"STRING", pasteboard_type::plainText},
    {"text/html", pasteboard_type::html},
    {"image/png", pasteboard_type::png},
    {"image/tiff", pasteboard_type::tiff},
    {"text/uri-list", pasteboard_type::fileUrl},
}};

// Formats only the toolkit that offers them can use.
constexpr std::array<std::string_view, 1> toolkitInternal = {"application/x-qt-image"};

}  // namespace

std::string typeForMime(std::string_view mime) {
    for (const auto& pair : pairs) {
        if (pair.mime == mime)
            return std::string(pair.type);
    }
    return std::string(mime);
}

std::string mimeForType(std::string_view type) {
    for (const auto& pair : pairs) {
        if (pair.type == type)
            return std::string(pair.mime);
    }
    return std::string(type);
}

std::optional<std::string> typeForTarget(std::string_view target) {
    // Contents are named by MIME types; the other targets (TARGETS, MULTIPLE, TIMESTAMP,
    // SAVE_TARGETS, DELETE, TEXT, COMPOUND_TEXT...) are requests or encodings of the selection
    // machinery, apart from the two plain-text encodings.
    const bool isMime = target.find('/') != std::string_view::npos;
    if (!isMime && target != "UTF8_STRING" && target != "STRING")
        return std::nullopt;
    for (const auto internal : toolkitInternal) {
        if (target == internal)
            return std::nullopt;
    }
    return typeForMime(target);
}

bool isLatin1Target(std::string_view target) {
    return target == "STRING";
}

std::string latin1ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

bool namesFile(std::string_view uriList) {
    return ascii::lowered(uri_list::firstUri(uriList).substr(0, 5)) == "file:";
}

}  // namespace pindrake::platform::linux_types
