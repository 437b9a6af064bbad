#include <gtest/gtest.h>

#include "clipboard/FaviconService.h"
#include "clipboard/ImageSamples.h"
#include "foundation/ManualScheduler.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/QtImageCodec.h"
#include "support/LoopbackServer.h"

namespace pindrake::clipboard {
namespace {

// The real HTTP client and image codec against a local server that plays two sites (told
// apart by the host name they are reached under) and the icon service.
class FaviconLoopbackTest : public ::testing::Test {
  protected:
    FaviconLoopbackTest() {
        auto& routes = server.routes();
        routes.Get("/favicon.ico",
                   [](const httplib::Request& request, httplib::Response& response) {
                       if (request.get_header_value("Host").starts_with("localhost")) {
                           response.status = 404;
                       } else {
                           response.set_redirect("/static/icon.ico");
                       }
                   });
        routes.Get("/static/icon.ico", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            response.set_content(icon, "image/x-icon");
        });
        routes.Get("/service/ip3/localhost.ico",
                   [](const httplib::Request&, httplib::Response& response) {
                       response.set_content(servicePng, "image/png");
                   });
        server.start();
    }

    std::optional<platform::Image> waitFor(
        const std::shared_ptr<std::optional<std::optional<platform::Image>>>& answer) {
        while (!answer->has_value() && main.waitForPost(std::chrono::seconds(10))) {
            main.runUntilIdle();
        }
        return answer->value_or(std::nullopt);
    }

    std::shared_ptr<std::optional<std::optional<platform::Image>>> ask(const std::string& text) {
        auto answer = std::make_shared<std::optional<std::optional<platform::Image>>>();
        service->favicon(text, [answer](std::optional<platform::Image> image) { *answer = image; });
        return answer;
    }

    static inline const std::string icon = testing::encodedImage("ICO", 16, 16);
    static inline const std::string servicePng = testing::encodedImage("PNG", 32, 32);

    testing::LoopbackServer server;
    ManualScheduler main;
    platform::CurlHttpClient http{main};
    platform::QtImageCodec codec;
    std::shared_ptr<FaviconService> service =
        FaviconService::create({main, http, codec, nullptr, {}}, server.url("/service"));
};

TEST_F(FaviconLoopbackTest, FollowsARedirectToTheSiteIconAndFetchesItOnceForConcurrentRows) {
    const std::string site = "http://127.0.0.1:" + std::to_string(server.port());
    auto first = ask(site + "/one");
    auto second = ask(site + "/two");
    const auto image = waitFor(first);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format(), "ico");
    EXPECT_EQ(image->encoded(), icon);
    ASSERT_TRUE(waitFor(second));
    EXPECT_EQ(server.hits("/favicon.ico"), 1);
    EXPECT_EQ(server.hits("/static/icon.ico"), 1);
}

TEST_F(FaviconLoopbackTest, FallsThroughToTheIconServiceOnNotFound) {
    const auto image = waitFor(ask("http://localhost:" + std::to_string(server.port()) + "/page"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->encoded(), servicePng);
    EXPECT_EQ(server.hits("/favicon.ico"), 1);
    EXPECT_EQ(server.hits("/service/ip3/localhost.ico"), 1);
}

}  // namespace
}  // namespace pindrake::clipboard
