#pragma once

#include <array>
#include <optional>
#include <set>
#include <string_view>

namespace pindrake::clipboard {

// The kinds of content that classification gives a text; the order is the declaration order.
enum class ContentTag {
    json,
    jwt,
    unixTime,
    urlEncoded,
    base64,
    html,
    markdown,
    fullWidth,
    colorCode,
    url,
    plainText,
};

using ContentTags = std::set<ContentTag>;

inline constexpr std::array<ContentTag, 11> allContentTags = {
    ContentTag::json,      ContentTag::jwt,  ContentTag::unixTime,  ContentTag::urlEncoded,
    ContentTag::base64,    ContentTag::html, ContentTag::markdown,  ContentTag::fullWidth,
    ContentTag::colorCode, ContentTag::url,  ContentTag::plainText,
};

// The stored name of a tag, equal to its case name.
std::string_view rawValue(ContentTag tag);
// Exact, case-sensitive match of a stored name.
std::optional<ContentTag> contentTagFromRawValue(std::string_view raw);

}  // namespace pindrake::clipboard
