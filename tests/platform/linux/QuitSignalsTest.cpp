#include "platform/linux/QuitSignals.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <QProcess>

#include <set>

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

// Every capture the history held when the signal came is on disk after the process ends, with
// its snapshot and image: the probe's images are not written before quitting has begun.
TEST(QuitSignals, ASignalRightAfterABurstOfCapturesLosesNoneOfThem) {
    constexpr int captures = 40;
    for (const auto& signal : quitSignals) {
        test_support::TemporaryDirectory temporary;
        const fs::path folder = temporary.path() / "history";
        QProcess probe;
        probe.start(QStringLiteral(PINDRAKE_QUIT_SIGNAL_PROBE),
                    {QString::fromStdString(folder.string()), QString::number(captures),
                     QStringLiteral("--gated")});
        ASSERT_TRUE(probe.waitForStarted(10'000));
        QByteArray output;
        ASSERT_TRUE(test_support::waitUntil(
            [&] {
                output += probe.readAllStandardOutput();
                return output.contains("burst\n");
            },
            std::chrono::seconds(30)))
            << output.toStdString();
        ::kill(static_cast<pid_t>(probe.processId()), signal.number);
        ASSERT_TRUE(probe.waitForFinished(30'000)) << signal.name;
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << signal.name;
        EXPECT_EQ(probe.exitCode(), 0) << signal.name;
        EXPECT_EQ(output.count("\n="), captures - 1) << output.toStdString();

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
