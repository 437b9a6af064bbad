#include "zarezo/ResourceLookup.h"

#include <dlfcn.h>

#include <string>
#include <system_error>

#include "foundation/Resources.h"

namespace pindrake::zarezo {
namespace {

constexpr std::string_view moduleFolderName = "zarezo";

std::optional<std::filesystem::path> codeFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&codeFolder), &info) == 0 || !info.dli_fname) {
        return std::nullopt;
    }
    std::error_code error;
    auto binary = std::filesystem::canonical(info.dli_fname, error);
    if (error)
        return std::nullopt;
    return binary.parent_path();
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

const ResourceFolders& ResourceFolders::standard() {
    static const ResourceFolders folders = [] {
        ResourceFolders found;
        const auto application = resources::applicationFolder();
        if (!application.empty())
            found.application = application;
        found.code = codeFolder();
        std::vector<std::filesystem::path> candidates;
        if (found.application)
            candidates.push_back(*found.application / moduleFolderName);
        if (found.code)
            candidates.push_back(*found.code / moduleFolderName);
        found.module = firstExistingFolder(candidates);
        return found;
    }();
    return folders;
}

std::optional<std::filesystem::path> firstExistingFolder(
    const std::vector<std::filesystem::path>& candidates) {
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_directory(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> findResourcePath(const ResourceFolders& folders,
                                                      std::string_view name,
                                                      std::string_view extension,
                                                      bool searchCodeFolder) {
    const std::string fileName = std::string(name) + "." + std::string(extension);
    std::vector<std::filesystem::path> searched;
    if (folders.module)
        searched.push_back(*folders.module);
    if (folders.application)
        searched.push_back(*folders.application);
    if (searchCodeFolder && folders.code)
        searched.push_back(*folders.code);
    for (const auto& folder : searched) {
        for (const auto& candidate : {folder / fileName, folder / "Resources" / fileName}) {
            if (isRegularFile(candidate))
                return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace pindrake::zarezo
