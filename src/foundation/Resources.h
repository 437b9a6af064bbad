#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace pindrake::resources {

// The application's resource folder: $PINDRAKE_RESOURCES when set (tests and the build tree),
// else ../share/pindrake next to the executable.
std::filesystem::path applicationFolder();
std::optional<std::filesystem::path> find(std::string_view name);

}  // namespace pindrake::resources
