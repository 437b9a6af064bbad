#include <gtest/gtest.h>

#include "support/LoopbackServer.h"
#include "foundation/ManualScheduler.h"
#include "platform/linux/CurlHttpClient.h"

namespace pindrake::platform {
namespace {

class CurlHttpClientTest : public ::testing::Test {
  protected:
    CurlHttpClientTest() {
        auto& routes = server.routes();
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

    clipboard::testing::LoopbackServer server;
    ManualScheduler main;
    CurlHttpClient client{main};
};

// A failure carries no body: nothing half-fetched, redirected elsewhere or oversized is used.
TEST_F(CurlHttpClientTest, AnswersOrFailsByTheRequestsLimits) {
    struct Case {
        HttpRequest request;
        long status;  // -1: a failure
        std::string body;
    };
    const std::vector<Case> cases = {
        {{.url = server.url("/hop/5")}, 200, "arrived"},
        {{.url = server.url("/nowhere")}, 404, ""},
        {{.url = server.url("/hop/6")}, -1, ""},
        {{.url = server.url("/to-file")}, -1, ""},
        {{.url = "file:///etc/passwd"}, -1, ""},
        {{.url = "ftp://127.0.0.1/"}, -1, ""},
        {{.url = server.url("/big"), .maxBodyBytes = 1u << 20}, -1, ""},
        {{.url = server.url("/slow"), .timeout = seconds(0.2)}, -1, ""},
        {{.url = "http://127.0.0.1:1/"}, 0, ""},  // refused: a failure without a status
    };
    for (const auto& c : cases) {
        const auto response = fetch(c.request);
        EXPECT_EQ(response.succeeded(), c.status > 0) << c.request.url << ": " << response.error;
        if (c.status >= 0) {
            EXPECT_EQ(response.status, c.status) << c.request.url;
        }
        EXPECT_EQ(response.body, c.body) << c.request.url;
    }
}

}  // namespace
}  // namespace pindrake::platform
