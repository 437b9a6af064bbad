#include "platform/linux/CurlHttpClient.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace pindrake::platform {

namespace {

struct Body {
    std::string bytes;
    std::size_t limit;
    bool tooLarge = false;
};

std::size_t appendToBody(char* data, std::size_t size, std::size_t count, void* userData) {
    auto* body = static_cast<Body*>(userData);
    const std::size_t length = size * count;
    if (body->bytes.size() + length > body->limit) {
        body->tooLarge = true;
        return 0;  // makes curl stop with a write error
    }
    body->bytes.append(data, length);
    return length;
}

// Ends the transfer (with CURLE_ABORTED_BY_CALLBACK) once the client has gone.
int stopWhenCancelled(void* token, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const CancellationToken*>(token)->isCancelled() ? 1 : 0;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The request itself, on the calling thread.
HttpResponse perform(const HttpRequest& request, const CancellationToken& stop) {
    HttpResponse response;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        response.error = "could not start a request";
        return response;
    }
    Body body{.bytes = {}, .limit = request.maxBodyBytes};
    const auto timeoutMs = std::chrono::duration_cast<std::chrono::milliseconds>(request.timeout);
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(request.maxRedirects));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs.count()));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");  // decoded bytes count toward the cap
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(request.maxBodyBytes));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Pindrake");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &appendToBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &stopWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &stop);

    const CURLcode result = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
    if (body.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        response.error =
            "the response is larger than " + std::to_string(request.maxBodyBytes) + " bytes";
    } else if (result != CURLE_OK) {
        response.error = curl_easy_strerror(result);
    } else {
        response.body = std::move(body.bytes);
    }
    return response;
}

}  // namespace

CurlHttpClient::CurlHttpClient(Scheduler& main, std::size_t threads)
    : main_(main), workers_("http", threads) {
    initialiseCurlOnce();
}

CurlHttpClient::~CurlHttpClient() {
    stop_.cancel();
    pending_.overruleAll(
        HttpResponse{.status = 0, .body = {}, .error = "cancelled", .cancelled = true});
}

void CurlHttpClient::get(HttpRequest request, Completion completion) {
    workers_.async([completion = pending_.add(main_, std::move(completion)), stop = stop_,
                    request = std::move(request)] { completion->settle(perform(request, stop)); });
}

}  // namespace pindrake::platform
