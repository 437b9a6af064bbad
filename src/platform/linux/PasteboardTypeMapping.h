#pragma once

#include <string>
#include <string_view>

namespace pindrake::platform::linux_types {

// Between the clipboard's MIME types and the program's type identifiers: the five known types
// are translated ("public.utf8-plain-text" is text/plain, "public.html" text/html,
// "public.png" image/png, "public.tiff" image/tiff, "public.file-url" text/uri-list), any other
// type keeps its MIME name.
std::string typeForMime(std::string_view mime);
std::string mimeForType(std::string_view type);

// Whether the first URI of a URI list is a "file:" URI. Applications offer copied web links as URI
// lists too, and those are no file reference.
bool namesFile(std::string_view uriList);

// X11 selection machinery and toolkit-internal formats, which are not contents.
bool isProtocolTarget(std::string_view mime);

}  // namespace pindrake::platform::linux_types
