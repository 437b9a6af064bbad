#pragma once

#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "platform/HttpClient.h"

namespace pindrake::platform {

// HTTP through libcurl. Each request runs on a worker thread; its result is posted to the main
// queue. Destruction never waits: the requests not yet finished complete as cancelled at once,
// and the transfers in progress stop at curl's next progress check.
class CurlHttpClient final : public HttpClient {
  public:
    explicit CurlHttpClient(Scheduler& main, std::size_t threads = 4);
    ~CurlHttpClient() override;

    void get(HttpRequest request, Completion completion) override;

  private:
    Scheduler& main_;
    CancellationToken stop_;
    PendingCompletions<HttpResponse> pending_;
    WorkQueue workers_;
};

}  // namespace pindrake::platform
