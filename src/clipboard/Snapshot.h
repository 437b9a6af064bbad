#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Pasteboard.h"

namespace pindrake::clipboard::snapshot {

// A snapshot file: one compact JSON object from type identifier to the type's bytes in
// Base64. Nothing to write for empty contents.
std::optional<std::string> encode(const platform::PasteboardContents& contents);

// The types whose bytes decode; members that are not valid Base64 are left out. Nothing when
// the text is not an object of strings, or when no member decodes.
std::optional<platform::PasteboardContents> decode(std::string_view text);

}  // namespace pindrake::clipboard::snapshot
