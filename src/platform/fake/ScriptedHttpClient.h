#pragma once

#include <map>
#include <string>
#include <vector>

#include "foundation/Scheduler.h"
#include "platform/HttpClient.h"

namespace pindrake::platform {

// Answers requests from a table of canned responses, through the main queue like the real
// client. A URL without an answer fails as if the host could not be reached.
class ScriptedHttpClient final : public HttpClient {
  public:
    explicit ScriptedHttpClient(Scheduler& main) : main_(main) {}

    void respond(std::string url, HttpResponse response);
    void get(HttpRequest request, Completion completion) override;

    const std::vector<HttpRequest>& requests() const { return requests_; }

  private:
    Scheduler& main_;
    std::map<std::string, HttpResponse> responses_;
    std::vector<HttpRequest> requests_;
};

}  // namespace pindrake::platform
