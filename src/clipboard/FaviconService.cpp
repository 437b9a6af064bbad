#include "clipboard/FaviconService.h"

#include "clipboard/Url.h"

namespace pindrake::clipboard {

namespace {

// A port that only repeats the scheme's own is no port: "https://h:443/" is "https://h/".
std::optional<int> siteOwnPort(std::string_view scheme, std::optional<int> port) {
    const bool isDefault = (scheme == "https" && port == 443) || (scheme == "http" && port == 80);
    return isDefault ? std::nullopt : port;
}

}  // namespace

std::shared_ptr<FaviconService> FaviconService::create(Services services,
                                                       std::string iconServiceBase) {
    return std::shared_ptr<FaviconService>(
        new FaviconService(services, std::move(iconServiceBase)));
}

FaviconService::FaviconService(Services services, std::string iconServiceBase)
    : services_(services), iconServiceBase_(std::move(iconServiceBase)) {
    while (iconServiceBase_.ends_with('/'))
        iconServiceBase_.pop_back();
}

FaviconService::~FaviconService() {
    // A look-up the worker has answered but the main queue has not yet taken finds nothing.
    diskLookups_.overruleAll(std::nullopt);
    for (auto& [key, waiting] : inFlightTasks_) {
        for (auto& completion : waiting)
            deliver(std::move(completion), std::nullopt);
    }
}

void FaviconService::favicon(std::string_view text, Completion completion) {
    const auto url = Url::parse(text);
    if (!url || url->host.empty()) {
        deliver(std::move(completion), std::nullopt);
        return;
    }
    // All pages of a site share one icon. A site on a port of its own is a site of its own.
    const std::string scheme = url->scheme.empty() ? "https" : url->scheme;
    const std::optional<int> port = siteOwnPort(scheme, url->port);
    const std::string key = port ? url->host + ":" + std::to_string(*port) : url->host;
    if (auto cached = cache_.get(key)) {
        deliver(std::move(completion), std::move(cached));
        return;
    }
    auto& waiting = inFlightTasks_[key];
    waiting.push_back(std::move(completion));
    if (waiting.size() > 1)
        return;  // joins the fetch already running

    std::weak_ptr<FaviconService> weakSelf = weak_from_this();
    fetchFavicon(url->host, scheme, port, [weakSelf, key](std::optional<platform::Image> icon) {
        if (auto self = weakSelf.lock())
            self->finishFetch(key, std::move(icon));
    });
}

void FaviconService::fetchFavicon(std::string host, std::string scheme, std::optional<int> port,
                                  Completion completion) {
    const std::string authority = port ? host + ":" + std::to_string(*port) : host;
    std::vector<std::string> locations = {
        scheme + "://" + authority + "/favicon.ico",
        iconServiceBase_ + "/ip3/" + host + ".ico",
    };
    fetchFrom(std::move(locations), 0, std::move(completion));
}

void FaviconService::fetchFrom(std::vector<std::string> locations, std::size_t next,
                               Completion completion) {
    if (next == locations.size()) {
        completion(std::nullopt);
        return;
    }
    if (!services_.diskCache || !services_.onDisk) {
        load(std::move(locations), next, std::move(completion));
        return;
    }
    std::weak_ptr<FaviconService> weakSelf = weak_from_this();
    const std::string location = locations[next];
    auto lookup = diskLookups_.add(services_.main, [weakSelf, locations = std::move(locations),
                                                    next, completion = std::move(completion)](
                                                       std::optional<std::string> kept) mutable {
        auto self = weakSelf.lock();
        if (!self) {
            completion(std::nullopt);
            return;
        }
        if (kept) {
            if (auto icon = self->services_.imageCodec.decode(*kept)) {
                completion(std::move(icon));
                return;
            }
        }
        self->load(std::move(locations), next, std::move(completion));
    });
    services_.onDisk(
        [disk = services_.diskCache, location, lookup] { lookup->settle(disk->lookup(location)); });
}

void FaviconService::load(std::vector<std::string> locations, std::size_t next,
                          Completion completion) {
    platform::HttpRequest request;
    request.url = locations[next];
    request.timeout = requestTimeout;
    request.maxRedirects = maxRedirects;
    request.maxBodyBytes = maxIconBytes;
    std::weak_ptr<FaviconService> weakSelf = weak_from_this();
    services_.http.get(std::move(request), [weakSelf, locations = std::move(locations), next,
                                            completion = std::move(completion)](
                                               platform::HttpResponse response) mutable {
        auto self = weakSelf.lock();
        if (!self) {
            completion(std::nullopt);
            return;
        }
        if (response.succeeded() && response.status == 200) {
            if (auto icon = self->services_.imageCodec.decode(response.body)) {
                if (const auto& disk = self->services_.diskCache; disk && self->services_.onDisk) {
                    self->services_.onDisk(
                        [disk, url = locations[next], body = std::move(response.body)] {
                            disk->store(url, body);
                        });
                }
                completion(std::move(icon));
                return;
            }
        }
        self->fetchFrom(std::move(locations), next + 1, std::move(completion));
    });
}

void FaviconService::finishFetch(const std::string& key, std::optional<platform::Image> icon) {
    auto found = inFlightTasks_.find(key);
    if (found == inFlightTasks_.end())
        return;
    std::vector<Completion> waiting = std::move(found->second);
    inFlightTasks_.erase(found);
    if (icon)
        cache_.put(key, *icon);
    for (auto& completion : waiting)
        completion(icon);
}

void FaviconService::deliver(Completion completion, std::optional<platform::Image> icon) {
    services_.main.post([completion = std::move(completion), icon = std::move(icon)]() mutable {
        completion(std::move(icon));
    });
}

}  // namespace pindrake::clipboard
