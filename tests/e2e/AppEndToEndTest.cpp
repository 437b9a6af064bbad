#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

// The installed application end to end: what is copied elsewhere comes back through the panel.
namespace {

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

class AppEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("PINDRAKE_RESOURCES"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath("data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath("cache"));
        // In English whatever the machine's language, for its words are read below.
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        app.setProcessEnvironment(environment);
        // Its own lines on the terminal are read by the tests; its log goes through.
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(QStringLiteral(PINDRAKE_E2E_APP), {});
        ASSERT_TRUE(app.waitForStarted(10'000));

        target.setWindowTitle(QStringLiteral("e2e target"));
        target.setGeometry(40, 600, 600, 150);
        target.show();
        target.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&target));
        QDir().mkpath(QStringLiteral(PINDRAKE_E2E_SCREENSHOTS));
    }
    void TearDown() override {
        app.terminate();
        if (!app.waitForFinished(5000))
            app.kill();
    }

    // Another application copies the text and keeps offering it.
    void copy(const std::string& text) {
        const std::string file = home.filePath("copied.txt").toStdString();
        std::ofstream(file, std::ios::binary) << text;
        ASSERT_EQ(std::system(("xclip -selection clipboard -i " + file).c_str()), 0);
    }

    // The entries the app has saved; none before its first save.
    nlohmann::json history() {
        std::ifstream file(home.filePath("data/Murvet/history.json").toStdString());
        auto json = nlohmann::json::parse(file, nullptr, false);
        return json.is_array() ? json : nlohmann::json::array();
    }
    bool historyHas(std::size_t count) {
        return QTest::qWaitFor([&] { return history().size() == count; }, 10'000);
    }
    // Copies until the history holds `count` entries, the newest this text: a copy made while
    // the app does not watch the clipboard (before it does, or during its own paste) is never
    // recorded.
    bool copyUntilRecorded(const std::string& text, std::size_t count) {
        return QTest::qWaitFor(
            [&] {
                copy(text);
                return QTest::qWaitFor(
                    [&] {
                        const auto entries = history();
                        return entries.size() >= count && entries[0]["plainText"] == text;
                    },
                    1000);
            },
            15'000);
    }
    bool panelVisible() {
        return std::system("xdotool search --onlyvisible --name '^Pindrake$' >/dev/null") == 0;
    }
    bool waitPanel(bool visible) {
        return QTest::qWaitFor([&] { return panelVisible() == visible; }, 5000);
    }
    void screenshot(const char* name) {
        QTest::qWait(300);
        QApplication::primaryScreen()->grabWindow(0).save(
            QStringLiteral(PINDRAKE_E2E_SCREENSHOTS "/%1.png").arg(QLatin1String(name)));
    }
    void openPanel() {
        xdotool("key --clearmodifiers shift+super+v");
        ASSERT_TRUE(waitPanel(true)) << "the hot key did not show the panel";
        QTest::qWait(150);
    }

    // The first visible window of the process; empty while it has none.
    static std::string visibleWindowOf(qint64 pid) {
        const std::string command = "xdotool search --onlyvisible --pid " + std::to_string(pid) +
                                    " 2>/dev/null | head -n 1";
        std::string window;
        if (FILE* found = ::popen(command.c_str(), "r")) {
            char line[64] = {};
            if (std::fgets(line, sizeof line, found))
                window = line;
            ::pclose(found);
        }
        while (!window.empty() && !std::isdigit(static_cast<unsigned char>(window.back())))
            window.pop_back();
        return window;
    }
    // How many conversion helpers the app runs now.
    std::size_t runningHelpers() {
        std::size_t count = 0;
        for (const auto& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            std::ifstream stat("/proc/" + process.toStdString() + "/stat");
            std::string pid, name, state;
            qint64 parent = 0;
            if (stat >> pid >> name >> state >> parent && parent == app.processId() &&
                name.starts_with("(pindrake-conver"))
                ++count;
        }
        return count;
    }
    QString autostartEntry() {
        QFile file(home.filePath("config/autostart/pindrake.desktop"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir home;
    QProcess app;
    QPlainTextEdit target;
};

TEST_F(AppEndToEndTest, PastesTheFilteredEntryThenAConvertedOneAndHidesOnEscapeAndOutsideClick) {
    ASSERT_TRUE(copyUntilRecorded("alpha one", 1)) << "the app never recorded a copy";
    copy("beta two");
    ASSERT_TRUE(historyHas(2));
    copy("alpha three");
    ASSERT_TRUE(historyHas(3));

    openPanel();
    screenshot("panel-filled");
    xdotool("type --delay 30 alpha");
    xdotool("key Down");
    xdotool("key Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.toPlainText() == "alpha one"; }, 5000))
        << "received: " << target.toPlainText().toStdString();
    EXPECT_FALSE(panelVisible());
    // A later copy is recorded after the paste would have been.
    ASSERT_TRUE(copyUntilRecorded("delta four", 4));
    EXPECT_EQ(history().size(), 4u) << "the paste was recorded again";
    EXPECT_EQ(target.toPlainText(), "alpha one") << "pasted more than once";

    // Through a converter: the second one offered for JSON lays it out.
    target.clear();
    copy(R"({"a":"x","b":[1,2]})");
    ASSERT_TRUE(historyHas(5));
    openPanel();
    xdotool("key Right");
    xdotool("key Down");
    screenshot("panel-converter-menu");
    xdotool("key Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.toPlainText().contains('\n'); }, 5000))
        << "received: " << target.toPlainText().toStdString();
    QString squeezed = target.toPlainText();
    squeezed.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(squeezed.toStdString(), R"({"a":"x","b":[1,2]})");
    ASSERT_TRUE(copyUntilRecorded("epsilon six", 6));
    EXPECT_EQ(history().size(), 6u) << "the converted paste was recorded";

    // However the panel hides, even from a converter's preview, the app keeps no helper.
    copy("# Title\n\n*some* text\n");
    ASSERT_TRUE(historyHas(7));
    openPanel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return runningHelpers() == 1; }, 10'000))
        << "no helper is kept warm while the panel shows";
    xdotool("key Right");
    xdotool("key Down");
    xdotool("key Escape");
    xdotool("key Escape");
    EXPECT_TRUE(waitPanel(false)) << "Escape did not hide the panel";
    EXPECT_TRUE(QTest::qWaitFor([&] { return runningHelpers() == 0; }, 10'000));

    openPanel();
    xdotool("mousemove 1270 790 click 1");
    EXPECT_TRUE(waitPanel(false)) << "a click outside did not hide the panel";
    EXPECT_TRUE(QTest::qWaitFor([&] { return runningHelpers() == 0; }, 10'000));
}

// A second start on the same history folder tells the user, in a dialog when no terminal
// started it, and ends; the first one goes on, and ends on SIGTERM as through its Quit item.
TEST_F(AppEndToEndTest, ASecondStartSaysTheFirstRunsAndEndsWhileTheFirstGoesOn) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.canReadLine(); }, 15'000));
    QByteArray said = app.readAll();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            said += app.readAll();
            return said.count('\n') >= 2;
        },
        5000));
    EXPECT_TRUE(said.contains("Shift+Super+V")) << said.toStdString();
    EXPECT_TRUE(said.contains("Ctrl+C")) << said.toStdString();

    QProcess second;
    second.setProcessEnvironment(app.processEnvironment());
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QStringLiteral(PINDRAKE_E2E_APP), {});
    ASSERT_TRUE(second.waitForStarted(10'000));
    std::string dialog;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            dialog = visibleWindowOf(second.processId());
            return !dialog.empty();
        },
        15'000))
        << "no dialog told that Pindrake is already running";
    screenshot("already-running");
    xdotool("windowactivate --sync " + dialog + " key Return");
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAll().contains("already running"));

    ASSERT_EQ(app.state(), QProcess::Running) << "the first instance did not go on";
    ASSERT_TRUE(copyUntilRecorded("kept by the first", 1));
    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10'000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << "SIGTERM killed the app";
    EXPECT_EQ(app.exitCode(), 0);
}

// A login item the app wrote for another build starts that build: a later start points its Exec
// here, and leaves the rest of the file as it was.
TEST_F(AppEndToEndTest, ALaterStartPointsTheLoginItemAtThisProgram) {
    const QString exec = QStringLiteral("Exec=\"%1\"\n").arg(QStringLiteral(PINDRAKE_E2E_APP));
    ASSERT_TRUE(QTest::qWaitFor([&] { return autostartEntry().contains(exec); }, 15'000))
        << "the first start wrote no login item: " << autostartEntry().toStdString();
    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10'000));

    QFile entry(home.filePath("config/autostart/pindrake.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QString arranged = QStringLiteral("[Desktop Entry]\nX-GNOME-Autostart-Delay=10\n%1");
    entry.write(arranged.arg(QStringLiteral("Exec=\"/old/build/src/app/pindrake\"\n")).toUtf8());
    entry.close();
    app.start(QStringLiteral(PINDRAKE_E2E_APP), {});
    ASSERT_TRUE(app.waitForStarted(10'000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return autostartEntry() == arranged.arg(exec); }, 15'000))
        << autostartEntry().toStdString();
}

}  // namespace
