#pragma once

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pindrake::converters {

// Collects the app's helper processes as they end, on a thread of its own: a helper killed, or
// one that died by itself, is reaped as soon as it has gone, so nobody waits for a teardown and
// no zombie stays behind. Lives as long as the app.
class HelperReaper {
  public:
    static HelperReaper& shared();

    // Takes `pidfd`, an open process descriptor of the child `pid`: once that child has ended,
    // it is reaped and `gone` runs on the reaper's thread.
    void watch(pid_t pid, int pidfd, std::function<void()> gone);

  private:
    struct Watched {
        pid_t pid;
        int pidfd;
        std::function<void()> gone;
    };

    HelperReaper();
    void collectForever();

    std::mutex mutex_;
    std::vector<Watched> watched_;
    // Written whenever a process is added, so that the wait takes it in.
    int wake_;
    std::thread thread_;
};

}  // namespace pindrake::converters
