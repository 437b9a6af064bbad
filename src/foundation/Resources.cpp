#include "foundation/Resources.h"

#include <cstdlib>
#include <system_error>

namespace pindrake::resources {

std::filesystem::path applicationFolder() {
    if (const char* configured = std::getenv("PINDRAKE_RESOURCES"); configured && *configured) {
        return configured;
    }
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : folderBeside(executable);
}

std::filesystem::path folderBeside(const std::filesystem::path& executable) {
    const auto folder = executable.parent_path();
    for (const auto& candidate :
         {folder / ".." / "share" / "pindrake", folder / PINDRAKE_BUILD_RESOURCES_FROM_PROGRAM}) {
        std::error_code error;
        if (std::filesystem::is_directory(candidate, error))
            return candidate.lexically_normal();
    }
    return {};
}

std::optional<std::filesystem::path> find(std::string_view name) {
    auto candidate = applicationFolder() / name;
    std::error_code error;
    if (std::filesystem::exists(candidate, error))
        return candidate;
    return std::nullopt;
}

}  // namespace pindrake::resources
