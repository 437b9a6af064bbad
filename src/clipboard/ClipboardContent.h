#pragma once

#include <optional>
#include <set>
#include <string>

#include "clipboard/ContentTag.h"
#include "platform/Image.h"

namespace pindrake::clipboard {

// One content as read from the clipboard or made by a converter; never stored as such.
struct ClipboardContent {
    // The text of a text content; the path of a file content.
    std::optional<std::string> plainText;
    std::optional<std::string> html;
    std::optional<platform::Image> image;
    // Empty for images, files and contents without text.
    ContentTags tags;
    // The type identifiers the clipboard offered when the content was read.
    std::set<std::string> pasteboardTypes;
    // The application that was in front when the content was captured.
    std::optional<std::string> sourceBundleID;

    bool operator==(const ClipboardContent&) const = default;
};

}  // namespace pindrake::clipboard
