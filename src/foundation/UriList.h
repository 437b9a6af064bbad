#pragma once

#include <string_view>

namespace pindrake::uri_list {

// The first URI of a text/uri-list: one URI a line (CRLF or LF), lines starting with "#" are
// comments. Empty when the list holds none.
std::string_view firstUri(std::string_view list);

}  // namespace pindrake::uri_list
