#pragma once

#include <filesystem>

// The user's base folders, as the XDG base directory rules define them: the variable when it
// holds an absolute path, otherwise the default under the home folder.
namespace pindrake::userFolders {

std::filesystem::path home();
// $XDG_DATA_HOME, by default ~/.local/share.
std::filesystem::path dataHome();
// $XDG_CONFIG_HOME, by default ~/.config.
std::filesystem::path configHome();
// $XDG_CACHE_HOME, by default ~/.cache.
std::filesystem::path cacheHome();

}  // namespace pindrake::userFolders
