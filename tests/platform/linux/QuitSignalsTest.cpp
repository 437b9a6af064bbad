#include "platform/linux/QuitSignals.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/QtEventLoop.h"
#include "support/SanitizerSlowdown.h"
#include "support/TestFiles.h"

namespace pindrake::platform {
namespace {

namespace fs = std::filesystem;

struct QuitSignal {
    int number;
    const char* name;
};
constexpr QuitSignal quitSignals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};

// The handler does nothing but wake the event loop; the work runs there, once per signal.
TEST(QuitSignals, EachSignalReachesTheEventLoopAndOnlyThere) {
    for (const auto& signal : quitSignals) {
        int calls = 0;
        QuitSignals quitting([&] { ++calls; });
        ASSERT_EQ(::raise(signal.number), 0);
        EXPECT_EQ(calls, 0) << signal.name << " was handled inside the signal handler";
        EXPECT_TRUE(test_support::waitUntil([&] { return calls == 1; })) << signal.name;
    }
}

// The probe, a history on an event loop quitting on signals, in a process of its own started with
// fork and exec (QProcess's own clone is beyond ThreadSanitizer). Every wait for it is bounded: a
// probe that does not end in time is killed and the test fails, rather than hanging.
class Probe {
  public:
    explicit Probe(std::vector<std::string> arguments) {
        const std::string program = PINDRAKE_QUIT_SIGNAL_PROBE;
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = out[0];
        if (pid_ > 0)
            ended_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    }
    ~Probe() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {output_, ended_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Reads the probe's output until it says `line`; false when it ends or the wait runs out
    // first.
    bool waitFor(std::string_view line) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (output.find(line) == std::string::npos) {
            if (!waitReadable(output_, deadline))
                return false;
            char buffer[4096];
            const auto got = ::read(output_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            output.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }
    void signal(int number) const { ::kill(pid_, number); }
    // How the probe ended (a waitpid status), with all its output read; nothing when it was
    // still running once the wait ran out: it is killed then.
    std::optional<int> end() {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        if (ended_ < 0 || !waitReadable(ended_, deadline))
            return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_)
            return std::nullopt;
        status_ = status;
        char buffer[4096];
        for (auto got = ::read(output_, buffer, sizeof buffer); got > 0;
             got = ::read(output_, buffer, sizeof buffer))
            output.append(buffer, static_cast<std::size_t>(got));
        return status_;
    }

    std::string output;

  private:
    // Starting Qt and ending the process take well under a second unloaded; the wait is for a
    // busy machine.
    static constexpr auto wait =
        std::chrono::milliseconds(static_cast<long>(10'000 * test_support::sanitizerSlowdown));

    static bool waitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd readable{fd, POLLIN, 0};
            if (left.count() <= 0)
                return false;
            const int ready = ::poll(&readable, 1, static_cast<int>(left.count()));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int ended_ = -1;  // a pidfd: readable once the probe has ended
    std::optional<int> status_;
};

// Every capture the history held when the signal came is on disk after the process ends, with
// its snapshot and image: the probe's images are not written before quitting has begun.
TEST(QuitSignals, ASignalRightAfterABurstOfCapturesLosesNoneOfThem) {
    constexpr int captures = 40;
    for (const auto& signal : quitSignals) {
        test_support::TemporaryDirectory temporary;
        const fs::path folder = temporary.path() / "history";
        Probe probe({folder.string(), std::to_string(captures), "--gated"});
        ASSERT_TRUE(probe.waitFor("burst\n")) << probe.output;
        probe.signal(signal.number);
        const auto status = probe.end();
        ASSERT_TRUE(status) << signal.name << " did not end the probe in time";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << signal.name << " ended the probe with status " << *status;
        const std::string& output = probe.output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '='), captures) << output;

        const auto history =
            nlohmann::json::parse(test_support::readFile(folder / "history.json"), nullptr, false);
        ASSERT_TRUE(history.is_array()) << signal.name;
        std::set<int> saved;
        for (const auto& entry : history) {
            const auto text = entry.value("plainText", std::string());
            saved.insert(std::stoi(text.substr(std::string_view("capture ").size())));
            const std::string id = entry["id"];
            EXPECT_TRUE(fs::exists(folder / (id + ".pboard"))) << text.substr(0, 12);
            if (entry.contains("imageFilename")) {
                EXPECT_TRUE(fs::exists(folder / (id + ".png"))) << text.substr(0, 12);
            }
        }
        EXPECT_EQ(saved.size(), std::size_t{captures}) << signal.name;
        EXPECT_EQ(history.size(), std::size_t{captures}) << signal.name;
    }
}

// When quitting is stuck (here saving an image that never comes), a second quit signal ends the
// process at once, whichever kinds the first and the second are.
TEST(QuitSignals, ASecondSignalOfAnyKindEndsAStuckQuit) {
    for (const auto& first : quitSignals) {
        for (const auto& second : quitSignals) {
            test_support::TemporaryDirectory temporary;
            Probe probe({(temporary.path() / "history").string(), "3", "--stuck-quit"});
            ASSERT_TRUE(probe.waitFor("burst\n")) << probe.output;
            probe.signal(first.number);
            ASSERT_TRUE(probe.waitFor("quitting\n")) << first.name << ": " << probe.output;
            probe.signal(second.number);
            const auto status = probe.end();
            ASSERT_TRUE(status) << first.name << " then " << second.name << " left it stuck";
            EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == second.number)
                << first.name << " then " << second.name << ": status " << *status;
        }
    }
}

}  // namespace
}  // namespace pindrake::platform
