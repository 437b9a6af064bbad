#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "clipboard/ContentTag.h"
#include "clipboard/Date.h"

namespace pindrake::clipboard {

enum class TextField { plainText, htmlText };

// What the history records of a text kept in a file of its own, so that a file replaced, cut
// short or grown since is never read as the entry's text: its length in bytes and a digest of its
// bytes.
struct KeptTextCheck {
    std::uint64_t length = 0;
    std::array<std::uint64_t, 2> digest{};

    bool operator==(const KeptTextCheck&) const = default;
};

// One entry of the history, as the history file holds it.
struct ClipboardItem {
    // Canonical upper-case UUID; also names the entry's files.
    std::string id;
    Date createdAt;
    ContentTags tags;
    std::optional<std::string> plainText;
    std::optional<std::string> htmlText;
    // Bare name of the entry's PNG file in the history folder.
    std::optional<std::string> imageFilename;
    std::set<std::string> pasteboardTypes;
    std::optional<std::string> sourceBundleID;
    // Set when `plainText` (`htmlText`) holds only the beginning of a text too large to keep
    // with the list: the whole is in a file of its own (LargeTexts).
    bool plainTextIsStart = false;
    bool htmlTextIsStart = false;
    // Of a text kept apart, as the history file holds it (a history written before these were
    // recorded has none); the store keeps them with the files (LargeTexts), not in its entries.
    std::optional<KeptTextCheck> plainTextCheck;
    std::optional<KeptTextCheck> htmlTextCheck;

    bool operator==(const ClipboardItem&) const = default;

    // The entry's title: a file's name, the text's first 100 user-perceived characters, or
    // for an image a label with its creation time (local time, the user's locale).
    std::string displayText() const;
};

}  // namespace pindrake::clipboard
