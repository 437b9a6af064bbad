#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace pindrake::zarezo {

// Finds a library file by name and extension ("turndown.min", "js").
using LibraryLocator =
    std::function<std::optional<std::filesystem::path>(std::string_view, std::string_view)>;

// Searches the standard resource folders, the code's folder included.
LibraryLocator standardLibraryLocator();

}  // namespace pindrake::zarezo
