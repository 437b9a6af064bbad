#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::platform::linux_types {

// Between the clipboard's MIME types and the program's type identifiers: the five known types
// are translated ("public.utf8-plain-text" is text/plain, "public.html" text/html,
// "public.png" image/png, "public.tiff" image/tiff, "public.file-url" text/uri-list), any other
// type keeps its MIME name.
std::string typeForMime(std::string_view mime);
std::string mimeForType(std::string_view type);

// The type a selection target holds, or nothing for X11 selection machinery (TARGETS,
// MULTIPLE, TIMESTAMP...), legacy text encodings other than Latin-1 and toolkit-internal
// formats, which are not contents. UTF8_STRING and STRING (Latin-1) hold plain text.
std::optional<std::string> typeForTarget(std::string_view target);
// Whether the target's bytes are Latin-1 text that must be made UTF-8 first.
bool isLatin1Target(std::string_view target);
std::string latin1ToUtf8(std::string_view text);

// Whether the first URI of a URI list is a "file:" URI. Applications offer copied web links as URI
// lists too, and those are no file reference.
bool namesFile(std::string_view uriList);

}  // namespace pindrake::platform::linux_types
