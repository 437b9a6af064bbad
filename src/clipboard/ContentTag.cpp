#include "clipboard/ContentTag.h"

namespace pindrake::clipboard {

std::string_view rawValue(ContentTag tag) {
    switch (tag) {
        case ContentTag::json:
            return "json";
        case ContentTag::jwt:
            return "jwt";
        case ContentTag::unixTime:
            return "unixTime";
        case ContentTag::urlEncoded:
            return "urlEncoded";
        case ContentTag::base64:
            return "base64";
        case ContentTag::html:
            return "html";
        case ContentTag::markdown:
            return "markdown";
        case ContentTag::fullWidth:
            return "fullWidth";
        case ContentTag::colorCode:
            return "colorCode";
        case ContentTag::url:
            return "url";
        case ContentTag::plainText:
            return "plainText";
    }
    return {};
}

std::optional<ContentTag> contentTagFromRawValue(std::string_view raw) {
    for (ContentTag tag : allContentTags) {
        if (rawValue(tag) == raw)
            return tag;
    }
    return std::nullopt;
}

}  // namespace pindrake::clipboard
