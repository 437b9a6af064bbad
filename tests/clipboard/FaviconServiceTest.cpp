#include <gtest/gtest.h>

#include "clipboard/FaviconService.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/ScriptedHttpClient.h"

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

class FaviconServiceTest : public ::testing::Test {
  protected:
    // Asks for an icon and returns where the answer will land.
    std::shared_ptr<std::optional<std::optional<platform::Image>>> ask(std::string_view text) {
        auto answer = std::make_shared<std::optional<std::optional<platform::Image>>>();
        service->favicon(
            text, [answer](std::optional<platform::Image> image) { *answer = std::move(image); });
        return answer;
    }

    ManualScheduler main;
    platform::ScriptedHttpClient http{main};
    FakeImageCodec codec;
    std::shared_ptr<FaviconService> service =
        FaviconService::create({main, http, codec}, serviceBase);
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

TEST_F(FaviconServiceTest, NoIconIsNotRememberedAndABareWordAsksNobody) {
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
}

TEST_F(FaviconServiceTest, WaitersGetNoIconWhenTheServiceGoesAway) {
    auto answer = ask("https://gone.test/");
    service.reset();
    main.runUntilIdle();
    ASSERT_TRUE(answer->has_value());
    EXPECT_FALSE(answer->value());
}

}  // namespace
}  // namespace pindrake::clipboard
