#include <gtest/gtest.h>

#include <atomic>
#include <iostream>

#include "foundation/ManualScheduler.h"
#include "platform/linux/CurlHttpClient.h"
#include "support/Eventually.h"
#include "support/LoopbackServer.h"
#include "support/MainQueueWaits.h"
#include "support/ThreadNames.h"

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
        // Chunked, so no Content-Length announces the size: only counting the bytes can stop it.
        routes.Get("/big-chunked", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "application/octet-stream",
                [sent = std::size_t{0}](std::size_t, httplib::DataSink& sink) mutable {
                    const std::string chunk(64u << 10, 'x');
                    if (sent >= (3u << 20)) {
                        sink.done();
                    } else {
                        sink.write(chunk.data(), chunk.size());
                        sent += chunk.size();
                    }
                    return true;
                });
        });
        // Answers only once the test lets it go.
        routes.Get("/stalled", [this](const httplib::Request&, httplib::Response& response) {
            ++stalledStarted;
            while (!released)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            response.set_content("late", "text/plain");
            ++stalledAnswered;
        });
        routes.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("file:///etc/passwd");
        });
        server.start();
    }

    HttpResponse fetch(HttpRequest request) {
        test_support::Delivered<HttpResponse> response;
        client.get(std::move(request), response.completion());
        EXPECT_TRUE(response.all().empty()) << "the completion must come through the main queue";
        return response.first(main).value_or(
            HttpResponse{.status = 0, .body = {}, .error = "no answer"});
    }

    ~CurlHttpClientTest() override { released = true; }

    std::atomic<bool> released{false};
    std::atomic<int> stalledStarted{0};
    std::atomic<int> stalledAnswered{0};
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
        {{.url = server.url("/big-chunked"), .maxBodyBytes = 1u << 20}, -1, ""},
        {{.url = server.url("/big-chunked"), .maxBodyBytes = 4u << 20},
         200,
         std::string(3u << 20, 'x')},
        {{.url = server.url("/stalled"), .timeout = seconds(0.2)}, -1, ""},
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

// Destruction neither waits for requests in flight nor loses them: each completes once, as
// cancelled, the queued ones included.
TEST_F(CurlHttpClientTest, DestroyingTheClientCancelsEveryRequestWithoutWaiting) {
    const auto workersBefore = test_support::threadsNamed("http");
    auto doomed = std::make_unique<CurlHttpClient>(main, 4);
    std::vector<int> completions(10, 0);
    std::vector<HttpResponse> responses(10);
    for (int i = 0; i < 10; ++i) {
        doomed->get({.url = server.url("/stalled")}, [&, i](HttpResponse response) {
            ++completions[i];
            responses[i] = std::move(response);
        });
    }
    // The four workers are all in a transfer.
    ASSERT_TRUE(test_support::eventually([&] { return stalledStarted == 4; }));
    const auto doomedWorkers = test_support::threadsNamedSince("http", workersBefore);
    EXPECT_EQ(doomedWorkers.size(), 4u);
    const auto blocked = test_support::timeBlocked([&] { doomed.reset(); });
    EXPECT_LT(blocked.count(), test_support::neverWaitsMs) << "ms on the destroying thread";
    std::cout << "[ measured ] destroying a client with 10 slow requests blocked for "
              << blocked.count() << " ms\n";
    // The transfers stop while the server still holds them, and their threads end.
    EXPECT_TRUE(test_support::threadsEnd(doomedWorkers));
    // The server answers every transfer it was holding; none of those late answers counts.
    released = true;
    ASSERT_TRUE(test_support::eventually([&] { return stalledAnswered == stalledStarted; }));
    main.runUntilIdle();
    EXPECT_EQ(completions, std::vector<int>(10, 1));
    for (const auto& response : responses) {
        EXPECT_TRUE(response.cancelled);
        EXPECT_FALSE(response.succeeded());
        EXPECT_EQ(response.body, "");
    }
}

// A response its worker has finished, but that still waits for the main queue when the client
// goes, completes as cancelled like the rest: the client's owner has gone.
TEST_F(CurlHttpClientTest, ResponseStillQueuedWhenTheClientGoesCompletesAsCancelled) {
    auto doomed = std::make_unique<CurlHttpClient>(main, 1);
    std::vector<HttpResponse> responses;
    doomed->get({.url = server.url("/hop/0")},
                [&](HttpResponse response) { responses.push_back(std::move(response)); });
    ASSERT_TRUE(main.waitForPost(std::chrono::seconds(30)));
    doomed.reset();
    main.runUntilIdle();
    ASSERT_EQ(responses.size(), 1u);
    EXPECT_TRUE(responses[0].cancelled);
    EXPECT_EQ(responses[0].body, "");
}

}  // namespace
}  // namespace pindrake::platform
