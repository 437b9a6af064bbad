#include "platform/linux/PasteboardTypeMapping.h"

#include <algorithm>
#include <array>
#include <utility>

#include "foundation/Ascii.h"
#include "platform/Pasteboard.h"

namespace pindrake::platform::linux_types {

namespace {

struct Pair {
    std::string_view mime;
    std::string_view type;
};

// The first pair of a type gives the MIME type it is written as.
constexpr std::array<Pair, 6> pairs = {{
    {"text/plain", pasteboard_type::plainText},
    {"text/plain;charset=utf-8", pasteboard_type::plainText},
    {"text/html", pasteboard_type::html},
    {"image/png", pasteboard_type::png},
    {"image/tiff", pasteboard_type::tiff},
    {"text/uri-list", pasteboard_type::fileUrl},
}};

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

bool namesFile(std::string_view uriList) {
    // One URI a line; lines starting with "#" are comments.
    while (!uriList.empty()) {
        const std::size_t lineEnd = std::min(uriList.find('\n'), uriList.size());
        const std::string_view line = uriList.substr(0, lineEnd);
        uriList.remove_prefix(std::min(lineEnd + 1, uriList.size()));
        if (line.empty() || line == "\r" || line.starts_with('#'))
            continue;
        return ascii::lowered(line.substr(0, 5)) == "file:";
    }
    return false;
}

bool isProtocolTarget(std::string_view mime) {
    return mime == "TARGETS" || mime == "MULTIPLE" || mime == "TIMESTAMP" ||
           mime == "SAVE_TARGETS" || mime == "application/x-qt-image";
}

}  // namespace pindrake::platform::linux_types
