#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HttpClient.h"
#include "platform/Updater.h"

namespace pindrake::platform {

// Checks a release feed for a newer version. The feed is a small JSON document,
// {"version": "1.4.0", "url": "https://.../releases/1.4.0"}, at an address fixed when the
// program is built; without one there is nothing to check and the check is never offered.
// Packages installed from the distribution are updated by its package manager, so the result
// is only reported, never installed. Main thread only.
class FeedUpdater final : public Updater {
  public:
    struct CheckResult {
        enum class Outcome { upToDate, newerVersion, failed };
        Outcome outcome = Outcome::failed;
        // The feed's version and address (newerVersion), or why the check failed.
        std::string latestVersion;
        std::string releaseUrl;
        std::string error;
    };
    using Report = std::function<void(const CheckResult&)>;

    static constexpr std::size_t maxFeedBytes = 64 * 1024;
    static constexpr Duration feedTimeout = std::chrono::seconds(15);

    // The address and version this program was built with.
    static std::string builtInFeedUrl();
    static std::string builtInVersion();

    // `report` tells the user the outcome of each check.
    FeedUpdater(HttpClient& http, std::string feedUrl, std::string currentVersion, Report report);
    ~FeedUpdater() override;

    // True with a feed address and no check running.
    bool canCheckForUpdates() const override;
    void observeCanCheckForUpdates(std::function<void(bool)> onChange) override;
    void checkForUpdates() override;

    // What a fetched feed says about `currentVersion`.
    static CheckResult evaluate(const HttpResponse& response, std::string_view currentVersion);
    // "1.10.2" as {1, 10, 2}; none unless it is one to eight dot-separated whole numbers.
    static std::optional<std::vector<unsigned>> parseVersion(std::string_view text);

  private:
    void setChecking(bool checking);

    HttpClient& http_;
    std::string feedUrl_;
    std::string currentVersion_;
    Report report_;
    bool isChecking_ = false;
    std::vector<std::function<void(bool)>> observers_;
    // The HTTP completion may arrive after we are gone.
    std::shared_ptr<FeedUpdater*> self_ = std::make_shared<FeedUpdater*>(this);
};

}  // namespace pindrake::platform
