#pragma once

#include <filesystem>
#include <string>
#include <variant>

#include "zarezo/ZarezoError.h"

namespace pindrake::zarezo {

// Reads a JavaScript library as UTF-8 text; an unreadable file or one that is not UTF-8 fails
// with libraryLoadingFailed naming the file.
std::variant<std::string, ZarezoError> readLibraryFile(const std::filesystem::path& path);

}  // namespace pindrake::zarezo
