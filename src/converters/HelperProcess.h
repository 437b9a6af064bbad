#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

namespace pindrake::converters {

// One running conversion helper, talked to over a stream socket that is its standard input and
// output. It ends with the thread that started it (or with the app), so start it on a thread
// that lives as long as it should. Ending or destroying it never waits: the process is
// collected as soon as it has gone (see HelperReaper).
class HelperProcess {
  public:
    // Nothing when the program cannot be started. The helper ends itself before its resident
    // memory passes `memoryCapBytes`. `gone` runs on another thread once the process has ended,
    // however it ended.
    static std::unique_ptr<HelperProcess> start(const std::filesystem::path& program,
                                                std::size_t memoryCapBytes,
                                                std::function<void()> gone = {});
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Non-blocking; never raises SIGPIPE when written with MSG_NOSIGNAL.
    int socket() const { return socket_; }
    // Whether it is waiting for a request: a helper at rest says nothing, so anything to read
    // (its end of the stream, or bytes nobody asked for) means it is of no further use.
    bool isAtRest() const;
    // Kills it unless it has ended.
    void end();
    pid_t pid() const { return pid_; }

  private:
    HelperProcess(pid_t pid, int pidfd, int socket);

    pid_t pid_;
    // Signals reach this process even once it has been collected and its number reused.
    int pidfd_;
    int socket_;
    bool ended_ = false;
};

}  // namespace pindrake::converters
