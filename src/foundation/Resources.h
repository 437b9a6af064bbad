#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace pindrake::resources {

// The application's resource folder (catalogues, scripts, icons): $PINDRAKE_RESOURCES when set,
// else the one found beside the running executable.
std::filesystem::path applicationFolder();
// Beside `executable`: "../share/pindrake" in an install prefix, the build tree's resource
// folder for a program run from the build tree; empty when neither exists.
std::filesystem::path folderBeside(const std::filesystem::path& executable);
std::optional<std::filesystem::path> find(std::string_view name);

}  // namespace pindrake::resources
