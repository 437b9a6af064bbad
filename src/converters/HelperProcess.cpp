#include "converters/HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "converters/HelperReaper.h"
#include "foundation/Log.h"

extern char** environ;

namespace pindrake::converters {

std::unique_ptr<HelperProcess> HelperProcess::start(const std::filesystem::path& program,
                                                    std::size_t memoryCapBytes,
                                                    std::function<void()> gone) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    // The helper's end becomes its input and output; nothing else of the app's is left open in
    // it, and its signals start as a new program's do.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    // The helper makes sure it ends with its parent, and with the thread that started it.
    std::string parent = std::to_string(::getpid());
    std::string cap = std::to_string(memoryCapBytes);
    std::string path = program.string();
    char* argv[] = {path.data(), parent.data(), cap.data(), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, path.c_str(), &files, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[1]);
    if (error != 0) {
        log::warning("The conversion helper " + path + " cannot be started (errno " +
                     std::to_string(error) + ")");
        ::close(ends[0]);
        return nullptr;
    }
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    // Not collected before the reaper has it, the number still names this child here.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    const int reaperPidfd = pidfd < 0 ? -1 : ::fcntl(pidfd, F_DUPFD_CLOEXEC, 0);
    if (reaperPidfd < 0) {
        log::warning("The conversion helper cannot be watched (errno " + std::to_string(errno) +
                     ")");
        // Just started, it has nothing to tear down: collecting it is no wait.
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        ::close(ends[0]);
        if (pidfd >= 0)
            ::close(pidfd);
        return nullptr;
    }
    HelperReaper::shared().watch(pid, reaperPidfd, std::move(gone));
    return std::unique_ptr<HelperProcess>(new HelperProcess(pid, pidfd, ends[0]));
}

HelperProcess::HelperProcess(pid_t pid, int pidfd, int socket)
    : pid_(pid), pidfd_(pidfd), socket_(socket) {}

HelperProcess::~HelperProcess() {
    end();
    ::close(pidfd_);
    ::close(socket_);
}

bool HelperProcess::isAtRest() const {
    pollfd ready{socket_, POLLIN, 0};
    return !ended_ && ::poll(&ready, 1, 0) == 0;
}

void HelperProcess::end() {
    if (ended_)
        return;
    ended_ = true;
    ::syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0);
}

}  // namespace pindrake::converters
