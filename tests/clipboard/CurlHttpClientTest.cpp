#include <gtest/gtest.h>

#include "clipboard/LoopbackServer.h"
#include "foundation/ManualScheduler.h"
#include "platform/linux/CurlHttpClient.h"

namespace pindrake::platform {
namespace {

class CurlHttpClientTest : public ::testing::Test {
  protected:
    CurlHttpClientTest() {
        auto& routes = server.routes();
        routes.Get("/hello", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("hello", "text/plain");
        });
        routes.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("gone", "text/plain");
        });
        routes.Get(R"(/hop/(\d+))",
                   [](const httplib::Request& request, httplib::Response& response) {
                       const int left = std::stoi(request.matches[1]);
                       if (left == 0) {
                           response.set_content("arrived", "text/plain");
                       } else {
                           response.set_redirect("/hop/" + std::to_string(left - 1));
                       }
                   });
        routes.Get("/big", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(2u << 20, 'x'), "application/octet-stream");
        });
        routes.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("file:///etc/passwd");
        });
        routes.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            response.set_content("late", "text/plain");
        });
        server.start();
    }

    HttpResponse fetch(HttpRequest request) {
        std::optional<HttpResponse> result;
        client.get(std::move(request), [&result](HttpResponse response) { result = response; });
        EXPECT_FALSE(result) << "the completion must come through the main queue";
        while (!result && main.waitForPost(std::chrono::seconds(10)))
            main.runUntilIdle();
        return result.value_or(HttpResponse{.status = 0, .body = {}, .error = "no answer"});
    }

    HttpResponse fetch(const std::string& path) {
        return fetch(HttpRequest{.url = server.url(path)});
    }

    clipboard::testing::LoopbackServer server;
    ManualScheduler main;
    CurlHttpClient client{main};
};

TEST_F(CurlHttpClientTest, ReportsStatusAndBody) {
    const auto hello = fetch("/hello");
    EXPECT_TRUE(hello.succeeded()) << hello.error;
    EXPECT_EQ(hello.status, 200);
    EXPECT_EQ(hello.body, "hello");

    const auto missing = fetch("/missing");
    EXPECT_TRUE(missing.succeeded());
    EXPECT_EQ(missing.status, 404);
}

TEST_F(CurlHttpClientTest, FollowsAtMostTheAllowedRedirects) {
    const auto five = fetch("/hop/5");
    EXPECT_TRUE(five.succeeded()) << five.error;
    EXPECT_EQ(five.body, "arrived");

    const auto six = fetch("/hop/6");
    EXPECT_FALSE(six.succeeded());
    EXPECT_TRUE(six.body.empty());
}

TEST_F(CurlHttpClientTest, SpeaksOnlyHttp) {
    const auto toFile = fetch("/to-file");
    EXPECT_FALSE(toFile.succeeded());
    EXPECT_TRUE(toFile.body.empty());
    EXPECT_FALSE(fetch(HttpRequest{.url = "file:///etc/passwd"}).succeeded());
    EXPECT_FALSE(fetch(HttpRequest{.url = "ftp://127.0.0.1/"}).succeeded());
}

TEST_F(CurlHttpClientTest, CapsTheBodyAndTheTime) {
    const auto big = fetch(HttpRequest{.url = server.url("/big"), .maxBodyBytes = 1u << 20});
    EXPECT_FALSE(big.succeeded());
    EXPECT_TRUE(big.body.empty());

    const auto slow = fetch(HttpRequest{.url = server.url("/slow"), .timeout = seconds(0.2)});
    EXPECT_FALSE(slow.succeeded());
}

TEST_F(CurlHttpClientTest, AnUnreachableHostIsAFailureNotAStatus) {
    const auto refused = fetch(HttpRequest{.url = "http://127.0.0.1:1/"});
    EXPECT_FALSE(refused.succeeded());
    EXPECT_EQ(refused.status, 0);
}

}  // namespace
}  // namespace pindrake::platform
