#include <gtest/gtest.h>

#include "foundation/ManualScheduler.h"
#include "platform/fake/ScriptedHttpClient.h"
#include "platform/linux/FeedUpdater.h"

namespace pindrake::platform {
namespace {

using Outcome = FeedUpdater::CheckResult::Outcome;

HttpResponse ok(std::string body) {
    return {200, std::move(body), ""};
}

TEST(FeedUpdaterTest, ComparesTheFeedsVersionWithOurs) {
    struct Row {
        HttpResponse response;
        Outcome outcome;
        std::string releaseUrl;
    };
    const std::vector<Row> rows = {
        {ok(R"({"version": "1.3.0", "url": "https://example.org/1.3"})"), Outcome::newerVersion,
         "https://example.org/1.3"},
        {ok(R"({"version": "1.2.10"})"), Outcome::newerVersion, ""},  // numbers, not text
        {ok(R"({"version": "1.2"})"), Outcome::upToDate, ""},         // 1.2 is 1.2.0
        {ok(R"({"version": "1.1.99"})"), Outcome::upToDate, ""},
        {ok(R"({"version": "2.0", "url": "file:///etc/passwd"})"), Outcome::newerVersion, ""},
        {ok(R"({"version": "2.0-beta"})"), Outcome::failed, ""},
        {ok(R"({"version": "1..2"})"), Outcome::failed, ""},
        {ok(R"({"version": 2})"), Outcome::failed, ""},
        {ok(R"(["1.3.0"])"), Outcome::failed, ""},
        {ok("not json"), Outcome::failed, ""},
        {{404, "{\"version\": \"9\"}", ""}, Outcome::failed, ""},
        {{0, "", "timed out"}, Outcome::failed, ""},
    };
    for (const auto& row : rows) {
        const auto result = FeedUpdater::evaluate(row.response, "1.2.0");
        EXPECT_EQ(result.outcome, row.outcome) << row.response.body;
        EXPECT_EQ(result.releaseUrl, row.releaseUrl) << row.response.body;
        EXPECT_EQ(result.error.empty(), row.outcome != Outcome::failed) << row.response.body;
    }
    EXPECT_FALSE(FeedUpdater::parseVersion("1.2.3.4.5.6.7.8.9"));
    EXPECT_FALSE(FeedUpdater::parseVersion("99999999999"));
    EXPECT_FALSE(FeedUpdater::parseVersion("-1"));
}

// Without a feed address nothing can be checked; with one, an answer that arrives after its
// updater is gone is dropped.
TEST(FeedUpdaterTest, FetchesTheFeedOnceAtATimeAndReportsTheOutcomeWhileItLives) {
    ManualScheduler main;
    ScriptedHttpClient http(main);
    std::vector<bool> seen;
    FeedUpdater feedless(http, "", "1.0", [](const auto&) { FAIL(); });
    feedless.observeCanCheckForUpdates([&](bool value) { seen.push_back(value); });
    feedless.checkForUpdates();
    main.runUntilIdle();
    EXPECT_EQ(seen, std::vector<bool>{false});
    EXPECT_TRUE(http.requests().empty());

    const std::string feed = "https://example.org/feed.json";
    http.respond(feed, ok(R"({"version": "1.1"})"));
    std::vector<Outcome> reports;
    const auto report = [&](const FeedUpdater::CheckResult& r) { reports.push_back(r.outcome); };
    FeedUpdater updater(http, feed, "1.0", report);
    seen.clear();
    updater.observeCanCheckForUpdates([&](bool value) { seen.push_back(value); });

    updater.checkForUpdates();
    updater.checkForUpdates();  // while the first runs
    main.runUntilIdle();
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_LE(http.requests()[0].maxBodyBytes, FeedUpdater::maxFeedBytes);
    EXPECT_EQ(reports, std::vector<Outcome>{Outcome::newerVersion});
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));

    FeedUpdater(http, feed, "1.0", report).checkForUpdates();
    main.runUntilIdle();
    EXPECT_EQ(http.requests().size(), 2u);
    EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
}  // namespace pindrake::platform
