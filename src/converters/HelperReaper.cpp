#include "converters/HelperReaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "foundation/Log.h"

namespace pindrake::converters {

HelperReaper& HelperReaper::shared() {
    // Never destroyed: its thread may be reaping while the app exits.
    static auto* reaper = new HelperReaper;
    return *reaper;
}

HelperReaper::HelperReaper()
    : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), thread_([this] { collectForever(); }) {
    if (wake_ < 0)
        log::warning("The helper reaper cannot be woken; ended helpers wait for the next one");
    thread_.detach();
}

void HelperReaper::watch(pid_t pid, int pidfd, std::function<void()> gone) {
    {
        std::lock_guard lock(mutex_);
        watched_.push_back({pid, pidfd, std::move(gone)});
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
}

void HelperReaper::collectForever() {
    std::vector<pollfd> ready;
    for (;;) {
        ready.assign(1, {wake_, POLLIN, 0});
        {
            std::lock_guard lock(mutex_);
            for (const auto& process : watched_)
                ready.push_back({process.pidfd, POLLIN, 0});
        }
        if (::poll(ready.data(), ready.size(), -1) < 0 && errno != EINTR) {
            log::warning("The helper reaper cannot wait for ended helpers");
            return;
        }
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wake_, &count, sizeof count);
        // Processes are only added while the lock is released, after those polled.
        std::vector<std::function<void()>> ended;
        {
            std::lock_guard lock(mutex_);
            for (std::size_t i = ready.size() - 1; i >= 1; --i) {
                if (!(ready[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
                    continue;
                auto& process = watched_[i - 1];
                // Told of the exit as the process is made a zombie: waiting is for the moment
                // in between, its memory already given back.
                while (::waitpid(process.pid, nullptr, 0) < 0 && errno == EINTR) {
                }
                ::close(process.pidfd);
                ended.push_back(std::move(process.gone));
                watched_.erase(watched_.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
        }
        for (auto& gone : ended) {
            if (gone)
                gone();
        }
    }
}

}  // namespace pindrake::converters
