#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "foundation/Scheduler.h"

namespace pindrake::platform {

struct HttpRequest {
    std::string url;
    Duration timeout = seconds(30);
    int maxRedirects = 5;
    std::size_t maxBodyBytes = std::size_t{1} << 20;
};

struct HttpResponse {
    // The status of the last response, after redirects; 0 when none arrived.
    long status = 0;
    std::string body;
    // Empty on success; otherwise why no complete response arrived (transport failure, refused
    // scheme, too many redirects, body over the limit, time-out, cancelled).
    std::string error;
    // The client went away before the response arrived.
    bool cancelled = false;

    bool succeeded() const { return error.empty(); }
};

// HTTP GET requests. Only http and https are spoken, for the request and every redirect.
class HttpClient {
  public:
    using Completion = std::function<void(HttpResponse)>;

    virtual ~HttpClient() = default;

    // Starts the request; the completion runs exactly once, later, on the main queue. Requests
    // still running when the client is destroyed complete as cancelled.
    virtual void get(HttpRequest request, Completion completion) = 0;
};

}  // namespace pindrake::platform
