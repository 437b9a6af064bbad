#include "foundation/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace pindrake::userFolders {
namespace {

std::filesystem::path fromVariable(const char* name, const std::filesystem::path& fallback) {
    // Relative values are to be ignored, as if the variable were unset.
    if (const char* value = std::getenv(name); value && *value) {
        std::filesystem::path path(value);
        if (path.is_absolute())
            return path;
    }
    return fallback;
}

}  // namespace

std::filesystem::path home() {
    if (const char* value = std::getenv("HOME"); value && *value)
        return value;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::filesystem::path dataHome() {
    return fromVariable("XDG_DATA_HOME", home() / ".local" / "share");
}

std::filesystem::path configHome() {
    return fromVariable("XDG_CONFIG_HOME", home() / ".config");
}

std::filesystem::path cacheHome() {
    return fromVariable("XDG_CACHE_HOME", home() / ".cache");
}

}  // namespace pindrake::userFolders
