#pragma once

#include "foundation/BackgroundTask.h"
#include "foundation/Scheduler.h"
#include "platform/HttpClient.h"

namespace pindrake::platform {

// HTTP through libcurl. Each request runs on a worker thread; its result is posted to the main
// queue. Destruction waits for the requests in progress (each bounded by its time-out).
class CurlHttpClient final : public HttpClient {
  public:
    explicit CurlHttpClient(Scheduler& main, std::size_t threads = 4);

    void get(HttpRequest request, Completion completion) override;

  private:
    Scheduler& main_;
    WorkQueue workers_;
};

}  // namespace pindrake::platform
