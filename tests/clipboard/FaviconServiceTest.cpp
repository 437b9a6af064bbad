#include <gtest/gtest.h>

#include <set>

#include "clipboard/FaviconService.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/ScriptedHttpClient.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using platform::FakeImageCodec;
using platform::HttpResponse;

const std::string icon = std::string(FakeImageCodec::pngSignature) + "icon";
const std::string serviceBase = "https://icons.test";

HttpResponse ok(std::string body) {
    return {.status = 200, .body = std::move(body), .error = {}};
}
HttpResponse status(long code) {
    return {.status = code, .body = "<html>", .error = {}};
}

// Asks for an icon and returns where the answer will land.
std::shared_ptr<std::optional<std::optional<platform::Image>>> requestIcon(FaviconService& service,
                                                                           std::string_view text) {
    auto answer = std::make_shared<std::optional<std::optional<platform::Image>>>();
    service.favicon(text,
                    [answer](std::optional<platform::Image> image) { *answer = std::move(image); });
    return answer;
}

class FaviconServiceTest : public ::testing::Test {
  protected:
    auto ask(std::string_view text) { return requestIcon(*service, text); }

    ManualScheduler main;
    platform::ScriptedHttpClient http{main};
    FakeImageCodec codec;
    std::shared_ptr<FaviconService> service =
        FaviconService::create({main, http, codec, nullptr, {}}, serviceBase);
};

TEST_F(FaviconServiceTest, ConcurrentRequestsForAHostShareOneFetchAndTheCache) {
    http.respond("https://example.com/favicon.ico", ok(icon));
    auto first = ask("https://example.com/a");
    auto second = ask("https://EXAMPLE.com:443/b?c");
    main.runUntilIdle();
    auto later = ask("https://example.com/elsewhere");
    auto defaultPort = ask("http://example.com:80/");
    main.runUntilIdle();
    for (const auto& answer : {first, second, later, defaultPort}) {
        ASSERT_TRUE(answer->has_value() && answer->value());
        EXPECT_EQ((*answer)->value().encoded(), icon);
    }
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(http.requests()[0].url, "https://example.com/favicon.ico");

    // A port of its own makes another site.
    ask("https://example.com:8443/");
    main.runUntilIdle();
    ASSERT_GE(http.requests().size(), 2u);
    EXPECT_EQ(http.requests()[1].url, "https://example.com:8443/favicon.ico");
}

TEST_F(FaviconServiceTest, FallsThroughToTheIconService) {
    struct Case {
        std::string name;
        std::optional<HttpResponse> siteAnswer;
    };
    const std::vector<Case> cases = {
        {"not found", status(404)},
        {"an image, but not found", HttpResponse{.status = 404, .body = icon, .error = {}}},
        {"an image, but only partly", HttpResponse{.status = 206, .body = icon, .error = {}}},
        {"a page instead of an icon", ok("<html>not an icon</html>")},
        {"no connection", std::nullopt},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string host = "site" + std::to_string(++n) + ".test";
        if (c.siteAnswer)
            http.respond("http://" + host + "/favicon.ico", *c.siteAnswer);
        http.respond(serviceBase + "/ip3/" + host + ".ico", ok(icon));
        auto answer = ask("http://" + host + "/page");
        main.runUntilIdle();
        ASSERT_TRUE(answer->has_value()) << c.name;
        EXPECT_TRUE(answer->value()) << c.name;
    }
    EXPECT_EQ(http.requests().size(), 2 * cases.size());
    for (const auto& request : http.requests()) {
        EXPECT_EQ(request.timeout, seconds(5));
        EXPECT_EQ(request.maxRedirects, 5);
        EXPECT_EQ(request.maxBodyBytes, 1u << 20);
    }
}

TEST_F(FaviconServiceTest, NoIconIsRememberedABareWordAsksNobodyAndWaitersAreAnswered) {
    auto none = ask("https://nothing.test/");
    main.runUntilIdle();
    ASSERT_TRUE(none->has_value());
    EXPECT_FALSE(none->value());
    EXPECT_EQ(http.requests().size(), 2u);
    ask("https://nothing.test/");
    main.runUntilIdle();
    EXPECT_EQ(http.requests().size(), 4u);

    for (std::string_view text : {"hello", "https://", "", "mailto:someone@example.com"}) {
        auto answer = ask(text);
        main.runUntilIdle();
        ASSERT_TRUE(answer->has_value()) << text;
        EXPECT_FALSE(answer->value()) << text;
    }
    EXPECT_EQ(http.requests().size(), 4u);

    // Waiters get no icon when the service goes away.
    auto gone = ask("https://gone.test/");
    service.reset();
    main.runUntilIdle();
    ASSERT_TRUE(gone->has_value());
    EXPECT_FALSE(gone->value());
}

// An icon once fetched is reused in later launches, from a private folder, whatever its age.
TEST_F(FaviconServiceTest, IconsFetchedOnceComeFromDiskInLaterLaunches) {
    test_support::TemporaryDirectory folder;
    const auto disk = std::make_shared<const SiteIconDiskCache>(folder.path() / "site-icons");
    const auto onDisk = [this](std::function<void()> job) { main.post(std::move(job)); };
    http.respond("https://example.com/favicon.ico", status(404));
    http.respond(serviceBase + "/ip3/example.com.ico", ok(icon));
    for (int launch = 0; launch < 2; ++launch) {
        auto launched = FaviconService::create({main, http, codec, disk, onDisk}, serviceBase);
        const auto answer = requestIcon(*launched, "https://example.com/");
        main.runUntilIdle();
        ASSERT_TRUE(answer->has_value() && answer->value()) << "launch " << launch;
        EXPECT_EQ((*answer)->value().encoded(), icon);
    }
    // The first launch asked the site, then the icon service; the second nobody. Failures are
    // not kept: the site's 404 is asked for again.
    ASSERT_EQ(http.requests().size(), 3u);
    EXPECT_EQ(http.requests().back().url, "https://example.com/favicon.ico");
    EXPECT_EQ(test_support::permissions(folder.path() / "site-icons"), 0700u);
    for (const auto& file : std::filesystem::directory_iterator(folder.path() / "site-icons"))
        EXPECT_EQ(test_support::permissions(file.path()), 0600u);
}

TEST(SiteIconDiskCacheTest, KeepsTheNewestWithinItsBoundsAndOnlyForTheSameAddress) {
    test_support::TemporaryDirectory folder;
    const SiteIconDiskCache byCount(folder.path() / "count", 3);
    // Each file is dated one second after the one before, whatever the file system's resolution.
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::set<std::filesystem::path> dated;
    for (int i = 0; i < 5; ++i) {
        byCount.store("https://site" + std::to_string(i) + ".test/favicon.ico", "icon");
        for (const auto& file : std::filesystem::directory_iterator(folder.path() / "count")) {
            if (dated.insert(file.path()).second)
                std::filesystem::last_write_time(file.path(), past + std::chrono::seconds(i));
        }
    }
    int kept = 0;
    for (int i = 0; i < 5; ++i)
        kept +=
            byCount.lookup("https://site" + std::to_string(i) + ".test/favicon.ico").has_value();
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(byCount.lookup("https://site4.test/favicon.ico"), "icon");
    EXPECT_EQ(byCount.lookup("https://elsewhere.test/favicon.ico"), std::nullopt);

    const SiteIconDiskCache bySize(folder.path() / "size", 100, 1000);
    bySize.store("https://big.test/a", std::string(600, 'a'));
    bySize.store("https://big.test/b", std::string(600, 'b'));
    EXPECT_EQ(bySize.lookup("https://big.test/b"), std::string(600, 'b'));
    EXPECT_EQ(bySize.lookup("https://big.test/a"), std::nullopt);
}

// The service may go while a disk job is still on the worker, or after the worker answered
// but before the main queue took the answer: the job keeps the disk cache it reads, its answer
// never reaches the main queue once the service is gone, and the waiter hears "no icon" once.
TEST_F(FaviconServiceTest, ServiceGoneWhileOnDiskLeavesNoWorkBehind) {
    test_support::TemporaryDirectory folder;
    for (const bool workerAnsweredFirst : {false, true}) {
        SCOPED_TRACE(workerAnsweredFirst ? "answered before the service went" : "answered after");
        auto disk = std::make_shared<const SiteIconDiskCache>(folder.path() / "site-icons");
        disk->store("https://example.com/favicon.ico", icon);
        std::vector<std::function<void()>> diskJobs;
        auto withDisk = FaviconService::create(
            {main, http, codec, disk,
             [&diskJobs](std::function<void()> job) { diskJobs.push_back(std::move(job)); }},
            serviceBase);
        disk.reset();
        int answers = 0;
        std::optional<platform::Image> answered;
        withDisk->favicon("https://example.com/", [&](std::optional<platform::Image> image) {
            ++answers;
            answered = std::move(image);
        });
        ASSERT_EQ(diskJobs.size(), 1u);
        if (workerAnsweredFirst)
            diskJobs.front()();
        withDisk.reset();
        main.runUntilIdle();
        if (!workerAnsweredFirst)
            diskJobs.front()();
        EXPECT_EQ(main.pendingCount(), 0u);
        main.runUntilIdle();
        EXPECT_EQ(answers, 1);
        EXPECT_FALSE(answered);
        EXPECT_TRUE(http.requests().empty());
    }
}

}  // namespace
}  // namespace pindrake::clipboard
