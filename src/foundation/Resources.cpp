#include "foundation/Resources.h"

#include <cstdlib>
#include <system_error>

namespace pindrake::resources {

std::filesystem::path applicationFolder() {
    if (const char* configured = std::getenv("PINDRAKE_RESOURCES"); configured && *configured) {
        return configured;
    }
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return executable.parent_path().parent_path() / "share" / "pindrake";
}

std::optional<std::filesystem::path> find(std::string_view name) {
    auto candidate = applicationFolder() / name;
    std::error_code error;
    if (std::filesystem::exists(candidate, error))
        return candidate;
    return std::nullopt;
}

}  // namespace pindrake::resources
