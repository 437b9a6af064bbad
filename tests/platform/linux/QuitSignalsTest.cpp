#include "platform/linux/QuitSignals.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>

#include "support/QtEventLoop.h"
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

// The probe's output until it closes it (ends) or says `until`; false when 30 s pass first.
bool readProbe(int fd, std::string& output, std::string_view until = {}) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        if (!until.empty() && output.find(until) != std::string::npos)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[4096];
        const auto got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return until.empty();
        output.append(buffer, static_cast<std::size_t>(got));
    }
}

// Every capture the history held when the signal came is on disk after the process ends, with
// its snapshot and image: the probe's images are not written before quitting has begun. (The
// probe is started with fork and exec: QProcess's own clone is beyond ThreadSanitizer.)
TEST(QuitSignals, ASignalRightAfterABurstOfCapturesLosesNoneOfThem) {
    constexpr int captures = 40;
    for (const auto& signal : quitSignals) {
        test_support::TemporaryDirectory temporary;
        const fs::path folder = temporary.path() / "history";
        const std::string program = PINDRAKE_QUIT_SIGNAL_PROBE;
        const std::string folderArgument = folder.string();
        const std::string count = std::to_string(captures);
        const char* arguments[] = {program.c_str(), folderArgument.c_str(), count.c_str(),
                                   "--gated", nullptr};
        int out[2];
        ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
        const pid_t probe = ::fork();
        ASSERT_GE(probe, 0);
        if (probe == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(program.c_str(), const_cast<char* const*>(arguments));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string output;
        const bool burstDone = readProbe(out[0], output, "burst\n");
        ::kill(probe, burstDone ? signal.number : SIGKILL);
        const bool ended = readProbe(out[0], output);
        ::close(out[0]);
        int status = 0;
        ::waitpid(probe, &status, 0);
        ASSERT_TRUE(burstDone) << output;
        ASSERT_TRUE(ended) << signal.name;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << signal.name << " ended the probe with status " << status;
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

}  // namespace
}  // namespace pindrake::platform
