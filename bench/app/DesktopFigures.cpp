// Figures of the installed app on an X display (run under tests/support/with-x11):
//   desktop_figures <pindrake binary> [runs]
// Prints the medians of: hot key pressed to panel on screen; one typed character to the list
// repainted, with 2000 entries; and the CPU time of the idle app over 60 s, and its resident
// memory after start and with 2000 entries. The app runs with a private home.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The panel's area in the middle of the screen, sampled cheaply.
QImage sample(const QRect& area) {
    return QApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

// Milliseconds from `act` until the area looks different, polled about every millisecond.
double millisecondsUntilChanged(const QRect& area, const std::string& act) {
    const QImage before = sample(area);
    const auto start = Clock::now();
    if (std::system(act.c_str()) != 0)
        return -1;
    while (Clock::now() - start < std::chrono::seconds(5)) {
        if (sample(area) != before)
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return -1;
}

void writeHistory(const QString& folder, int count) {
    QDir().mkpath(folder);
    std::ofstream file((folder + "/history.json").toStdString());
    file << "[";
    for (int i = 0; i < count; ++i) {
        char id[40];
        std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", i);
        file << (i ? "," : "") << R"({"id":")" << id << R"(","createdAt":)" << 818000000 - i
             << R"(,"tags":["plainText"],"plainText":"entry )" << i
             << R"( of the seeded history","pasteboardTypes":["public.utf8-plain-text"]})";
    }
    file << "]";
}

struct Usage {
    double cpuSeconds = 0;
    long residentKiB = 0;
};

Usage usage(qint64 pid) {
    Usage result;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    result.cpuSeconds = double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            result.residentKiB = std::stol(line.substr(6));
    }
    return result;
}

struct App {
    QTemporaryDir home;
    QProcess process;
    explicit App(const QString& binary, int entries) {
        if (entries > 0)
            writeHistory(home.filePath("data/Murvet"), entries);
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(binary, {});
        process.waitForStarted();
        QTest::qWait(3000);
    }
    ~App() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: desktop_figures <pindrake binary> [runs]\n");
        return 2;
    }
    const QString binary = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const QRect screen = QApplication::primaryScreen()->geometry();
    // A strip across the panel's history column, where rows and the empty state are drawn.
    const QRect panelStrip(screen.center().x() - 380, int(screen.height() * 0.35) - 40, 380, 160);

    {
        App empty(binary, 0);
        std::printf("resident memory after start (empty history): %ld KiB\n",
                    usage(empty.process.processId()).residentKiB);
        const Usage before = usage(empty.process.processId());
        QTest::qWait(60'000);
        const Usage after = usage(empty.process.processId());
        std::printf("CPU time of the idle app over 60 s: %.3f s\n",
                    after.cpuSeconds - before.cpuSeconds);
    }

    App full(binary, 2000);
    std::vector<double> show, typed;
    for (int i = 0; i < runs; ++i) {
        show.push_back(
            millisecondsUntilChanged(panelStrip, "xdotool key --clearmodifiers shift+super+v"));
        QTest::qWait(300);
        typed.push_back(millisecondsUntilChanged(panelStrip, "xdotool key 7"));
        QTest::qWait(200);
        typed.push_back(millisecondsUntilChanged(panelStrip, "xdotool key BackSpace"));
        QTest::qWait(200);
        std::system("xdotool key Escape");
        QTest::qWait(400);
    }
    std::printf("hot key to panel visible, median of %d: %.1f ms\n", runs, median(show));
    std::printf("typed character to repainted list (2000 entries), median of %zu: %.1f ms\n",
                typed.size(), median(typed));
    std::printf("resident memory with 2000 entries, after %d shows: %ld KiB\n", runs,
                usage(full.process.processId()).residentKiB);
    return 0;
}
