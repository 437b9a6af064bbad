#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard/LruCache.h"
#include "clipboard/SiteIconDiskCache.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "platform/HttpClient.h"
#include "platform/Image.h"
#include "platform/ImageCodec.h"

namespace pindrake::clipboard {

// Site icons for web-address entries, fetched at most once at a time per host and kept in a
// bounded cache. One instance serves the whole app. Main thread only.
class FaviconService : public std::enable_shared_from_this<FaviconService> {
  public:
    using Completion = std::function<void(std::optional<platform::Image>)>;

    struct Services {
        Scheduler& main;
        platform::HttpClient& http;
        const platform::ImageCodec& imageCodec;
        // Responses fetched in earlier launches, reused whatever their age; looked up and kept
        // through `onDisk`, which runs a job on a worker. Without them, nothing outlives the
        // process. Shared, because a job may still be running when the service has gone.
        std::shared_ptr<const SiteIconDiskCache> diskCache;
        std::function<void(std::function<void()>)> onDisk;
    };

    // A public service answering "/ip3/<host>.ico" with the site's icon.
    static constexpr std::string_view defaultIconServiceBase = "https://icons.duckduckgo.com";
    static constexpr std::size_t cacheCapacity = 300;
    static constexpr Duration requestTimeout = std::chrono::seconds(5);
    static constexpr int maxRedirects = 5;
    static constexpr std::size_t maxIconBytes = std::size_t{1} << 20;

    static std::shared_ptr<FaviconService> create(
        Services services, std::string iconServiceBase = std::string(defaultIconServiceBase));
    ~FaviconService();
    FaviconService(const FaviconService&) = delete;
    FaviconService& operator=(const FaviconService&) = delete;

    // The icon of the site a URL text names; the completion runs later on the main queue,
    // with nothing when the text has no host or no icon was found.
    void favicon(std::string_view text, Completion completion);
    // Tries the site's own "/favicon.ico" and then the icon service.
    void fetchFavicon(std::string host, std::string scheme, std::optional<int> port,
                      Completion completion);

  private:
    FaviconService(Services services, std::string iconServiceBase);

    // Tries the locations from `next` on: each one on disk first, then over the network.
    void fetchFrom(std::vector<std::string> locations, std::size_t next, Completion completion);
    void load(std::vector<std::string> locations, std::size_t next, Completion completion);
    void finishFetch(const std::string& key, std::optional<platform::Image> icon);
    void deliver(Completion completion, std::optional<platform::Image> icon);

    Services services_;
    std::string iconServiceBase_;
    LruCache<std::string, platform::Image> cache_{cacheCapacity};
    // The callers waiting for each host's running fetch.
    std::map<std::string, std::vector<Completion>> inFlightTasks_;
    // Disk look-ups whose answer is still to reach the main queue.
    PendingCompletions<std::optional<std::string>> diskLookups_;
};

}  // namespace pindrake::clipboard
