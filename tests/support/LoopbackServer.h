#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace pindrake::clipboard::testing {

// An HTTP server on 127.0.0.1 with a free port, serving on a thread of its own for the life of
// the object, counting the requests per path.
class LoopbackServer {
  public:
    LoopbackServer() {
        // Counted before the answer goes out: a client that has its answer sees the hit.
        server_.set_pre_routing_handler(
            [this](const httplib::Request& request, httplib::Response&) {
                std::lock_guard lock(mutex_);
                ++hits_[request.path];
                return httplib::Server::HandlerResponse::Unhandled;
            });
        port_ = server_.bind_to_any_port("127.0.0.1");
    }
    ~LoopbackServer() {
        server_.stop();
        if (thread_.joinable())
            thread_.join();
    }

    httplib::Server& routes() { return server_; }
    // Call after the routes are set.
    void start() {
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // The socket already listens; waiting here makes sure stop() finds a running loop.
        while (!server_.is_running())
            std::this_thread::yield();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int hits(const std::string& path) {
        std::lock_guard lock(mutex_);
        return hits_[path];
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, int> hits_;
};

}  // namespace pindrake::clipboard::testing
