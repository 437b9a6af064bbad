#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake {

// A random (version 4) UUID in upper case, as stored in history files.
std::string makeUuid();
// The canonical upper-case form of a UUID written in any case; nothing for anything else.
std::optional<std::string> canonicalUuid(std::string_view text);

}  // namespace pindrake
