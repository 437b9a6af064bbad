#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pindrake::clipboard {

// Site-icon responses kept on disk across launches and used whatever their age, one private
// file (0600) per address in a private folder. Bounded by count and size: the oldest files go
// first. Blocking file work: called on a worker, never on the main thread.
class SiteIconDiskCache {
  public:
    static constexpr std::size_t defaultMaxFiles = 600;
    static constexpr std::uintmax_t defaultMaxBytes = std::uintmax_t{16} << 20;

    // $XDG_CACHE_HOME/pindrake/site-icons.
    static std::filesystem::path defaultFolder();

    explicit SiteIconDiskCache(std::filesystem::path folder, std::size_t maxFiles = defaultMaxFiles,
                               std::uintmax_t maxBytes = defaultMaxBytes);

    // The body kept for the address, if any.
    std::optional<std::string> lookup(std::string_view url) const;
    void store(std::string_view url, std::string_view body) const;

  private:
    std::filesystem::path fileFor(std::string_view url) const;
    void prune() const;

    std::filesystem::path folder_;
    std::size_t maxFiles_;
    std::uintmax_t maxBytes_;
};

}  // namespace pindrake::clipboard
