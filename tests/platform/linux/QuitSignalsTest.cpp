#include "platform/linux/QuitSignals.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
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

// The probe, a history on an event loop quitting on signals, in a process of its own. Every wait
// for it is bounded: a probe that does not go on in time fails the test (and is killed) rather
// than hanging it.
test_support::ChildProcess startProbe(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PINDRAKE_QUIT_SIGNAL_PROBE);
    return test_support::ChildProcess(std::move(arguments));
}

// Starting Qt and ending the process take well under a second unloaded; the wait is for a busy
// machine.
test_support::ChildProcess::Clock::time_point probeDeadline() {
    return test_support::ChildProcess::Clock::now() +
           std::chrono::milliseconds(static_cast<long>(10'000 * test_support::sanitizerSlowdown));
}

// Every capture the history held when the signal came is on disk after the process ends, with
// its snapshot and image: the probe's images are not written before quitting has begun.
TEST(QuitSignals, ASignalRightAfterABurstOfCapturesLosesNoneOfThem) {
    constexpr int captures = 40;
    for (const auto& signal : quitSignals) {
        test_support::TemporaryDirectory temporary;
        const fs::path folder = temporary.path() / "history";
        auto probe = startProbe({folder.string(), std::to_string(captures), "--gated"});
        ASSERT_TRUE(probe.waitForOutput("burst\n", probeDeadline())) << probe.output;
        probe.signal(signal.number);
        const auto status = probe.waitForEnd(probeDeadline());
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
            // A large text is kept apart: the history holds its beginning.
            const auto text =
                entry.value("plainText", entry.value("plainTextStart", std::string()));
            saved.insert(std::stoi(text.substr(std::string_view("capture ").size())));
            const std::string id = entry["id"];
            EXPECT_TRUE(fs::exists(folder / (id + ".pboard"))) << text.substr(0, 12);
            if (entry.contains("imageFilename")) {
                EXPECT_TRUE(fs::exists(folder / (id + ".png"))) << text.substr(0, 12);
            }
            if (entry.contains("plainTextStart")) {
                EXPECT_TRUE(fs::exists(folder / (id + ".plainText"))) << text.substr(0, 12);
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
            auto probe = startProbe({(temporary.path() / "history").string(), "3", "--stuck-quit"});
            ASSERT_TRUE(probe.waitForOutput("burst\n", probeDeadline())) << probe.output;
            probe.signal(first.number);
            ASSERT_TRUE(probe.waitForOutput("quitting\n", probeDeadline()))
                << first.name << ": " << probe.output;
            probe.signal(second.number);
            const auto status = probe.waitForEnd(probeDeadline());
            ASSERT_TRUE(status) << first.name << " then " << second.name << " left it stuck";
            EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == second.number)
                << first.name << " then " << second.name << ": status " << *status;
        }
    }
}

}  // namespace
}  // namespace pindrake::platform
