#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard/ClipboardItem.h"
#include "clipboard/HistoryList.h"

namespace pindrake::clipboard::history_file {

// The whole text of an entry's field that is kept apart but has no file, or null.
using UnwrittenText =
    std::function<std::shared_ptr<const std::string>(const std::string& id, TextField field)>;
// The check recorded of a text kept apart since the entry was read, if any.
using RecordedCheck =
    std::function<std::optional<KeptTextCheck>(const std::string& id, TextField field)>;

// The history file: a compact JSON array of entries, newest first. Each entry's keys are
// written in a fixed order (id, createdAt, tags, plainText, htmlText, imageFilename,
// pasteboardTypes, sourceBundleID), absent optional values left out. A text kept apart is
// written as its beginning under "plainTextStart" ("htmlTextStart") in place of "plainText"
// ("htmlText"), which readers that know no such key take as no text rather than a cut one.
// Its check follows it: its length in bytes under "plainTextLength" ("htmlTextLength") and its
// digest, 32 hexadecimal digits, under "plainTextDigest" ("htmlTextDigest"); the entry's own
// check, else `recorded`'s, else none.
std::string encode(const HistoryList& items, const UnwrittenText& unwritten = {},
                   const RecordedCheck& recorded = {});

struct Decoded {
    std::vector<ClipboardItem> items;
    // One line per entry that was left out: unreadable, or repeating an earlier entry's id.
    std::vector<std::string> skipped;
    // Those entries as they stood in the file (compact JSON), to be kept elsewhere.
    std::vector<std::string> dropped;
};

// Reads entry by entry, so one bad entry costs only itself. Nothing when the text is not a JSON
// array at all.
std::optional<Decoded> decode(std::string_view text);

// The only image file an entry may have: "<ID>.png".
std::string imageFileName(std::string_view id);

// Whether a stored image file name can be used: a bare name inside the history folder.
bool isBareFileName(std::string_view name);

}  // namespace pindrake::clipboard::history_file
