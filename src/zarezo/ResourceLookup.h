#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace pindrake::zarezo {

// Where the module's JavaScript libraries may lie, in search order.
struct ResourceFolders {
    // The module's own resource folder, "zarezo" inside the application's or next to the code.
    std::optional<std::filesystem::path> module;
    // The application's resource folder.
    std::optional<std::filesystem::path> application;
    // The folder of the binary that holds the module's code.
    std::optional<std::filesystem::path> code;

    // Worked out once per process, on first use from any thread.
    static const ResourceFolders& standard();
};

// The first of the candidates that is an existing folder.
std::optional<std::filesystem::path> firstExistingFolder(
    const std::vector<std::filesystem::path>& candidates);

// Looks for "<name>.<extension>" in the module folder, then the application's, then (when asked)
// the code's; in each folder first directly, then under "Resources/". The first hit wins.
std::optional<std::filesystem::path> findResourcePath(const ResourceFolders& folders,
                                                      std::string_view name,
                                                      std::string_view extension,
                                                      bool searchCodeFolder);

}  // namespace pindrake::zarezo
