#include "platform/linux/FeedUpdater.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

namespace pindrake::platform {

namespace {

constexpr std::size_t maxVersionParts = 8;
constexpr std::size_t maxPartDigits = 9;

FeedUpdater::CheckResult failure(std::string why) {
    FeedUpdater::CheckResult result;
    result.error = std::move(why);
    return result;
}

bool isWebAddress(std::string_view url) {
    return url.starts_with("https://") || url.starts_with("http://");
}

}  // namespace

std::string FeedUpdater::builtInFeedUrl() {
    return PINDRAKE_UPDATE_FEED_URL;
}

std::string FeedUpdater::builtInVersion() {
    return PINDRAKE_VERSION;
}

FeedUpdater::FeedUpdater(HttpClient& http, std::string feedUrl, std::string currentVersion,
                         Report report)
    : http_(http),
      feedUrl_(std::move(feedUrl)),
      currentVersion_(std::move(currentVersion)),
      report_(std::move(report)) {}

FeedUpdater::~FeedUpdater() = default;

bool FeedUpdater::canCheckForUpdates() const {
    return !feedUrl_.empty() && !isChecking_;
}

void FeedUpdater::observeCanCheckForUpdates(std::function<void(bool)> onChange) {
    onChange(canCheckForUpdates());
    observers_.push_back(std::move(onChange));
}

void FeedUpdater::checkForUpdates() {
    if (!canCheckForUpdates())
        return;
    setChecking(true);
    HttpRequest request;
    request.url = feedUrl_;
    request.timeout = feedTimeout;
    request.maxBodyBytes = maxFeedBytes;
    std::weak_ptr<FeedUpdater*> weak = self_;
    http_.get(std::move(request), [weak](HttpResponse response) {
        auto self = weak.lock();
        if (!self)
            return;
        FeedUpdater& updater = **self;
        updater.setChecking(false);
        if (updater.report_)
            updater.report_(evaluate(response, updater.currentVersion_));
    });
}

void FeedUpdater::setChecking(bool checking) {
    isChecking_ = checking;
    const bool canCheck = canCheckForUpdates();
    for (const auto& observer : observers_)
        observer(canCheck);
}

FeedUpdater::CheckResult FeedUpdater::evaluate(const HttpResponse& response,
                                               std::string_view currentVersion) {
    if (!response.succeeded())
        return failure(response.error);
    if (response.status != 200)
        return failure("the feed answered with status " + std::to_string(response.status));
    const auto feed = nlohmann::json::parse(response.body, nullptr, false);
    if (feed.is_discarded() || !feed.is_object() || !feed.contains("version") ||
        !feed["version"].is_string())
        return failure("the feed holds no version");
    const std::string latest = feed["version"].get<std::string>();
    const auto latestParts = parseVersion(latest);
    const auto currentParts = parseVersion(currentVersion);
    if (!latestParts || !currentParts)
        return failure("the feed's version \"" + latest + "\" cannot be compared");

    CheckResult result;
    result.latestVersion = latest;
    // 1.2 and 1.2.0 are the same version.
    auto padded = [](std::vector<unsigned> parts, std::size_t size) {
        parts.resize(size, 0);
        return parts;
    };
    const std::size_t size = std::max(latestParts->size(), currentParts->size());
    if (padded(*latestParts, size) <= padded(*currentParts, size)) {
        result.outcome = CheckResult::Outcome::upToDate;
        return result;
    }
    result.outcome = CheckResult::Outcome::newerVersion;
    // Only a web address is passed on for the user to open.
    if (feed.contains("url") && feed["url"].is_string() &&
        isWebAddress(feed["url"].get_ref<const std::string&>()))
        result.releaseUrl = feed["url"].get<std::string>();
    return result;
}

std::optional<std::vector<unsigned>> FeedUpdater::parseVersion(std::string_view text) {
    std::vector<unsigned> parts;
    while (true) {
        const auto dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > maxPartDigits || error != std::errc() ||
            end != part.data() + part.size() || parts.size() == maxVersionParts)
            return std::nullopt;
        parts.push_back(value);
        if (dot == std::string_view::npos)
            return parts;
        text.remove_prefix(dot + 1);
    }
}

}  // namespace pindrake::platform
