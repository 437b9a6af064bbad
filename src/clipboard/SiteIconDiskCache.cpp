#include "clipboard/SiteIconDiskCache.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/UserFolders.h"

namespace pindrake::clipboard {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view extension = ".icon";

// A stable name for an address (64-bit FNV-1a); the file repeats the address, so two addresses
// of the same name never answer for each other.
std::string nameFor(std::string_view url) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : url) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    constexpr char digits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        name[static_cast<std::size_t>(i)] = digits[hash & 0xF];
    return name + std::string(extension);
}

}  // namespace

fs::path SiteIconDiskCache::defaultFolder() {
    return userFolders::cacheHome() / "pindrake" / "site-icons";
}

SiteIconDiskCache::SiteIconDiskCache(fs::path folder, std::size_t maxFiles, std::uintmax_t maxBytes)
    : folder_(std::move(folder)), maxFiles_(maxFiles), maxBytes_(maxBytes) {}

fs::path SiteIconDiskCache::fileFor(std::string_view url) const {
    return folder_ / nameFor(url);
}

std::optional<std::string> SiteIconDiskCache::lookup(std::string_view url) const {
    auto kept = files::readWithoutFollowingLinks(fileFor(url));
    if (!kept)
        return std::nullopt;
    const auto lineEnd = kept->find('\n');
    if (lineEnd == std::string::npos || std::string_view(*kept).substr(0, lineEnd) != url)
        return std::nullopt;
    return kept->substr(lineEnd + 1);
}

void SiteIconDiskCache::store(std::string_view url, std::string_view body) const {
    if (url.find('\n') != std::string_view::npos)
        return;
    if (auto error = files::createPrivateDirectory(folder_)) {
        log::warning("The site-icon cache " + folder_.string() +
                     " could not be made: " + error.message());
        return;
    }
    std::string kept(url);
    kept += '\n';
    kept += body;
    if (auto error = files::writeAtomically(fileFor(url), kept)) {
        log::warning("A site icon could not be kept: " + error.message());
        return;
    }
    prune();
}

void SiteIconDiskCache::prune() const {
    struct Kept {
        fs::path path;
        fs::file_time_type written;
        std::uintmax_t size;
    };
    std::vector<Kept> kept;
    std::uintmax_t total = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder_, error)) {
        if (!entry.is_regular_file(error) || entry.path().extension() != extension)
            continue;
        Kept file{entry.path(), entry.last_write_time(error), entry.file_size(error)};
        if (error)
            continue;
        total += file.size;
        kept.push_back(std::move(file));
    }
    std::sort(kept.begin(), kept.end(),
              [](const Kept& a, const Kept& b) { return a.written < b.written; });
    for (std::size_t i = 0; i < kept.size() && (kept.size() - i > maxFiles_ || total > maxBytes_);
         ++i) {
        fs::remove(kept[i].path, error);
        total -= kept[i].size;
    }
}

}  // namespace pindrake::clipboard
