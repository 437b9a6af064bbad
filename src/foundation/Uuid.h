#pragma once

#include <string>

namespace pindrake {

// A random (version 4) UUID in upper case, as stored in history files.
std::string makeUuid();
bool isUuid(const std::string& text);

}  // namespace pindrake
