#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "clipboard/LruCache.h"

namespace pindrake::app {

// Icons by key, fetched once and kept for the most recently used keys. `Icon` is whatever the
// views draw; this layer never looks inside it. Main thread only.
template <class Icon>
class IconCache {
  public:
    // None means there is nothing to show for the key; it is asked again next time.
    using Fetch = std::function<std::optional<Icon>(const std::string& key)>;

    IconCache(std::size_t capacity, Fetch fetch) : cache_(capacity), fetch_(std::move(fetch)) {}

    std::optional<Icon> icon(const std::string& key) {
        if (auto hit = cache_.get(key))
            return hit;
        auto fetched = fetch_(key);
        if (fetched)
            cache_.put(key, *fetched);
        return fetched;
    }

    std::size_t size() const { return cache_.size(); }

  private:
    clipboard::LruCache<std::string, Icon> cache_;
    Fetch fetch_;
};

// The icon of the application a history entry came from, by its identifier. An application
// that is not installed has none.
template <class Icon>
class AppIconCache {
  public:
    static constexpr std::size_t capacity = 100;

    explicit AppIconCache(typename IconCache<Icon>::Fetch fetch)
        : cache_(capacity, std::move(fetch)) {}
    std::optional<Icon> icon(const std::string& bundleID) { return cache_.icon(bundleID); }

  private:
    IconCache<Icon> cache_;
};

// The icon of a copied file or folder, by its path; the fetch gives a generic icon for a path
// that does not exist.
template <class Icon>
class FileIconCache {
  public:
    static constexpr std::size_t capacity = 200;
    using Fetch = std::function<Icon(const std::string& path)>;

    explicit FileIconCache(Fetch fetch)
        : cache_(capacity, [fetch = std::move(fetch)](const std::string& path) {
              return std::optional<Icon>(fetch(path));
          }) {}
    Icon icon(const std::string& path) { return *cache_.icon(path); }

  private:
    IconCache<Icon> cache_;
};

}  // namespace pindrake::app
