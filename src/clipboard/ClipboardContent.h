#pragma once

#include <optional>
#include <set>
#include <string>

#include "clipboard/ContentTag.h"
#include "clipboard/TextIdentity.h"
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
    // Of `plainText`, when the content was read from the clipboard: worked out there, off the
    // main thread, so the history tells a repeated text from a new one without reading it.
    std::optional<TextIdentity> textIdentity;

    bool operator==(const ClipboardContent&) const = default;
};

}  // namespace pindrake::clipboard
