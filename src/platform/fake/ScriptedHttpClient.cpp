#include "platform/fake/ScriptedHttpClient.h"

namespace pindrake::platform {

void ScriptedHttpClient::respond(std::string url, HttpResponse response) {
    responses_.insert_or_assign(std::move(url), std::move(response));
}

void ScriptedHttpClient::get(HttpRequest request, Completion completion) {
    HttpResponse response;
    if (auto it = responses_.find(request.url); it != responses_.end()) {
        response = it->second;
    } else {
        response.error = "could not connect to " + request.url;
    }
    requests_.push_back(std::move(request));
    main_.post([completion = std::move(completion), response = std::move(response)]() mutable {
        completion(std::move(response));
    });
}

}  // namespace pindrake::platform
