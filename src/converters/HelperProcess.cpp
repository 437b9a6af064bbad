#include "converters/HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/Log.h"

extern char** environ;

namespace pindrake::converters {

std::unique_ptr<HelperProcess> HelperProcess::start(const std::filesystem::path& program) {
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
    std::string path = program.string();
    char* argv[] = {path.data(), parent.data(), nullptr};
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
    const std::string folder = "/proc/" + std::to_string(pid) + "/";
    return std::unique_ptr<HelperProcess>(
        new HelperProcess(pid, ends[0], ::open((folder + "statm").c_str(), O_RDONLY | O_CLOEXEC),
                          ::open((folder + "status").c_str(), O_RDONLY | O_CLOEXEC)));
}

HelperProcess::HelperProcess(pid_t pid, int socket, int memoryFile, int statusFile)
    : pid_(pid), socket_(socket), memoryFile_(memoryFile), statusFile_(statusFile) {}

HelperProcess::~HelperProcess() {
    end();
    ::close(socket_);
    for (const int file : {memoryFile_, statusFile_}) {
        if (file >= 0)
            ::close(file);
    }
}

bool HelperProcess::isAtRest() const {
    pollfd ready{socket_, POLLIN, 0};
    return !ended_ && ::poll(&ready, 1, 0) == 0;
}

namespace {

// What a file of the process's under /proc says now, read again from its start into `text`, as a
// C string; false once the process has gone. The files are kept open: they are read every few
// milliseconds while a conversion runs.
template <std::size_t size>
bool reread(int file, char (&text)[size]) {
    const auto got = file < 0 ? -1 : ::pread(file, text, size - 1, 0);
    if (got <= 0)
        return false;
    text[got] = '\0';
    return true;
}

}  // namespace

// The second figure of statm is the resident set in pages.
std::optional<std::size_t> HelperProcess::residentBytes() const {
    char text[128];
    if (!reread(memoryFile_, text))
        return std::nullopt;
    char* end = nullptr;
    std::strtoull(text, &end, 10);
    const auto pages = std::strtoull(end, nullptr, 10);
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// The kernel's own high-water mark, in kilobytes on its line of the status.
std::optional<std::size_t> HelperProcess::peakResidentBytes() const {
    char text[4096];
    const char* line = reread(statusFile_, text) ? std::strstr(text, "VmHWM:") : nullptr;
    if (!line)
        return std::nullopt;
    return static_cast<std::size_t>(std::strtoull(line + 6, nullptr, 10)) * 1024;
}

void HelperProcess::end() {
    if (ended_)
        return;
    ended_ = true;
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace pindrake::converters
