#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pindrake::test_support {

// Another program, started with fork and exec, its output read through a pipe and its input
// written through one (or read from a file). QProcess is not used: its own clone fails a check
// of ThreadSanitizer's runtime in the child. Killed and reaped when destroyed, if still running.
class ChildProcess {
  public:
    using Clock = std::chrono::steady_clock;

    // Starts `command` (its first element is looked up on PATH); standard input comes from
    // `inputFile` when given, else from write().
    explicit ChildProcess(std::vector<std::string> command, const std::string& inputFile = {}) {
        if (command.empty())
            return;
        // Looked up before the fork: only async-signal-safe calls may follow it.
        const std::string program = onPath(command.front());
        std::vector<char*> argv;
        for (auto& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        int out[2];
        int in[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        if (::pipe2(in, O_CLOEXEC) != 0) {
            ::close(out[0]);
            ::close(out[1]);
            return;
        }
        const int file = inputFile.empty() ? -1 : ::open(inputFile.c_str(), O_RDONLY | O_CLOEXEC);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(file >= 0 ? file : in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        for (const int fd : {out[1], in[0], file}) {
            if (fd >= 0)
                ::close(fd);
        }
        output_ = out[0];
        input_ = in[1];
        if (pid_ > 0)
            ended_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    }
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {output_, input_, ended_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0 && ended_ >= 0; }
    void signal(int number) const {
        if (pid_ > 0 && !status_)
            ::kill(pid_, number);
    }
    void write(std::string_view bytes) {
        // Writing to a program that has gone raises SIGPIPE, which would end the tests: it is
        // held back on this thread meanwhile and then discarded.
        sigset_t brokenPipe;
        sigset_t previous;
        sigemptyset(&brokenPipe);
        sigaddset(&brokenPipe, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &brokenPipe, &previous);
        while (!bytes.empty() && input_ >= 0) {
            const auto written = ::write(input_, bytes.data(), bytes.size());
            if (written <= 0)
                break;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        const timespec now{};
        while (::sigtimedwait(&brokenPipe, nullptr, &now) > 0) {
        }
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    void closeInput() {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }

    // Reads the output until it holds `text`; false when the program ends or the deadline
    // passes first.
    bool waitForOutput(std::string_view text, Clock::time_point deadline) {
        while (output.find(text) == std::string::npos) {
            if (!readable(output_, deadline) || !readSome())
                return false;
        }
        return true;
    }
    // Waits for the program to end, reading all its output; its waitpid status, or nothing
    // when the deadline passes first (it runs on; the destructor kills it).
    std::optional<int> waitForEnd(Clock::time_point deadline) {
        if (status_ || !started())
            return status_;
        if (!readable(ended_, deadline))
            return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_)
            return std::nullopt;
        status_ = status;
        // Only what is there: a child of its own may still hold the pipe open.
        while (readable(output_, Clock::now()) && readSome()) {
        }
        return status_;
    }
    // Whether it is still running, without waiting; reads what output is there meanwhile, so
    // that a program writing much never blocks on a full pipe.
    bool running() {
        const auto now = Clock::now();
        while (readable(output_, now) && readSome()) {
        }
        return !waitForEnd(now);
    }

    std::string output;

  private:
    static std::string onPath(const std::string& name) {
        const char* path = std::getenv("PATH");
        if (name.find('/') != std::string::npos || !path)
            return name;
        for (std::string_view rest = path; !rest.empty();) {
            const auto end = std::min(rest.find(':'), rest.size());
            const auto candidate = std::filesystem::path(rest.substr(0, end)) / name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate.string();
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        return name;
    }
    static bool readable(int fd, Clock::time_point deadline) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd ready{fd, POLLIN, 0};
            const int count = ::poll(&ready, 1, static_cast<int>(std::max<long>(left.count(), 0)));
            if (count > 0)
                return true;
            if (count == 0 || errno != EINTR)
                return false;
        }
    }
    bool readSome() {
        char buffer[65536];
        const auto got = ::read(output_, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        output.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int input_ = -1;
    int ended_ = -1;  // a pidfd: readable once the program has ended
    std::optional<int> status_;
};

}  // namespace pindrake::test_support
