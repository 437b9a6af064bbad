// Figures of the installed app on an X display (run under tests/support/with-x11):
//   desktop_figures [--runs N] [--idle] <program>...
// For each program, the medians of: hot key pressed to the panel's first changed frame; one typed
// character to the list repainted, with 2000 entries. The programs take turns, one round after
// another (N rounds, 5 by default): each round starts the program on its own history, opens the
// panel once to settle, then times three opens, each with a character typed and erased, and
// quits it; so a change in the machine's load falls on every program alike. The keys are sent
// from this process through XTest, a chord's presses and releases together, and the clock starts
// as they leave: a program started to type them waits between its events and would be timed
// too, 25-50 ms before the panel, which opens on the hot key's release. With --idle, first
// the CPU time of each idle program over 60 s and its resident memory after start and with 2000
// entries. Each program runs with a private home, seeded with a history of 2000 entries, and is
// waited for until it writes its first line to standard output (the app's running notice), then
// for 3 s more.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

Display* display() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// Presses the keys in order and releases them in reverse order, sent to the server together.
bool typeKeys(std::initializer_list<KeySym> keys) {
    Display* x = display();
    if (!x)
        return false;
    std::vector<unsigned> codes;
    for (const KeySym key : keys) {
        const KeyCode code = XKeysymToKeycode(x, key);
        if (code == 0)
            return false;
        codes.push_back(code);
    }
    for (const unsigned code : codes)
        XTestFakeKeyEvent(x, code, True, CurrentTime);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        XTestFakeKeyEvent(x, *code, False, CurrentTime);
    XFlush(x);
    return true;
}

// An area of the screen, read through shared memory: read over the socket, the area took the
// server 1.3 ms at each poll, which the app's own requests waited behind.
class ScreenArea {
  public:
    explicit ScreenArea(const QRect& area) : area_(area) {
        Display* x = display();
        const int screen = DefaultScreen(x);
        image_ =
            XShmCreateImage(x, DefaultVisual(x, screen), unsigned(DefaultDepth(x, screen)), ZPixmap,
                            nullptr, &segment_, unsigned(area.width()), unsigned(area.height()));
        segment_.shmid = shmget(IPC_PRIVATE, std::size_t(image_->bytes_per_line * image_->height),
                                IPC_CREAT | 0600);
        segment_.shmaddr = image_->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
        segment_.readOnly = False;
        XShmAttach(x, &segment_);
        XSync(x, False);
        // Gone with the last detach, also if this process ends first.
        shmctl(segment_.shmid, IPC_RMID, nullptr);
    }
    ~ScreenArea() {
        XShmDetach(display(), &segment_);
        XDestroyImage(image_);
        shmdt(segment_.shmaddr);
    }
    ScreenArea(const ScreenArea&) = delete;
    ScreenArea& operator=(const ScreenArea&) = delete;

    std::string read() {
        Display* x = display();
        XShmGetImage(x, DefaultRootWindow(x), image_, area_.x(), area_.y(), AllPlanes);
        return {image_->data, std::size_t(image_->bytes_per_line * image_->height)};
    }

  private:
    QRect area_;
    XShmSegmentInfo segment_{};
    XImage* image_ = nullptr;
};

// Milliseconds from typing `keys` until the area looks different, polled about every
// millisecond.
double millisecondsUntilChanged(ScreenArea& area, std::initializer_list<KeySym> keys) {
    const std::string before = area.read();
    const auto start = Clock::now();
    if (!typeKeys(keys))
        return -1;
    while (Clock::now() - start < std::chrono::seconds(5)) {
        if (area.read() != before)
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
    App(const QString& program, int entries) {
        if (entries > 0)
            writeHistory(home.filePath("data/Murvet"), entries);
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(program, {});
        process.waitForStarted();
        process.waitForReadyRead(60'000);
        QTest::qWait(3000);
    }
    ~App() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

struct Figures {
    std::vector<double> show, typed;
    int missed = 0;
};

// One round: an open to settle, then `opens` timed ones.
void measure(const QString& program, ScreenArea& strip, int opens, Figures& figures) {
    App app(program, 2000);
    for (int i = -1; i < opens; ++i) {
        const double show = millisecondsUntilChanged(strip, {XK_Shift_L, XK_Super_L, XK_v});
        QTest::qWait(300);
        const double typed = millisecondsUntilChanged(strip, {XK_7});
        QTest::qWait(200);
        const double erased = millisecondsUntilChanged(strip, {XK_BackSpace});
        QTest::qWait(200);
        typeKeys({XK_Escape});
        QTest::qWait(400);
        if (i < 0)
            continue;
        // A change not seen within 5 s is counted as missed, not as a time.
        for (const auto& [figure, into] :
             {std::pair{show, &figures.show}, std::pair{typed, &figures.typed},
              std::pair{erased, &figures.typed}}) {
            if (figure < 0)
                ++figures.missed;
            else
                into->push_back(figure);
        }
    }
}

void idleFigures(const QString& program) {
    {
        App empty(program, 0);
        std::printf("  resident memory after start (empty history): %ld KiB\n",
                    usage(empty.process.processId()).residentKiB);
        const Usage before = usage(empty.process.processId());
        QTest::qWait(60'000);
        const Usage after = usage(empty.process.processId());
        std::printf("  CPU time of the idle app over 60 s: %.3f s\n",
                    after.cpuSeconds - before.cpuSeconds);
    }
    App full(program, 2000);
    std::printf("  resident memory with 2000 entries: %ld KiB\n",
                usage(full.process.processId()).residentKiB);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int rounds = 5;
    bool idle = false;
    QStringList programs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (argument == "--idle")
            idle = true;
        else
            programs << QString::fromLocal8Bit(argv[i]);
    }
    if (programs.isEmpty() || rounds < 1) {
        std::fprintf(stderr, "usage: desktop_figures [--runs N] [--idle] <program>...\n");
        return 2;
    }
    if (!display() || !XShmQueryExtension(display())) {
        std::fprintf(stderr, "desktop_figures: needs a local X display with shared memory\n");
        return 2;
    }
    const QRect screen = QApplication::primaryScreen()->geometry();
    // A strip across the panel's history column, where rows and the empty state are drawn.
    ScreenArea panelStrip({screen.center().x() - 380, int(screen.height() * 0.35) - 40, 380, 160});

    if (idle) {
        for (const auto& program : programs) {
            std::printf("%s\n", qPrintable(program));
            idleFigures(program);
        }
    }
    std::vector<Figures> figures(std::size_t(programs.size()));
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype p = 0; p < programs.size(); ++p)
            measure(programs[p], panelStrip, 3, figures[std::size_t(p)]);
    }
    for (qsizetype p = 0; p < programs.size(); ++p) {
        const auto& f = figures[std::size_t(p)];
        if (f.show.empty())
            continue;
        std::printf("%s\n  hot key to first changed frame, median of %zu: %.1f ms (%.1f-%.1f)\n",
                    qPrintable(programs[p]), f.show.size(), median(f.show),
                    *std::min_element(f.show.begin(), f.show.end()),
                    *std::max_element(f.show.begin(), f.show.end()));
        std::printf("  typed character to repainted list (2000 entries), median of %zu: %.1f ms\n",
                    f.typed.size(), median(f.typed));
        std::printf("  changes missed: %d\n", f.missed);
    }
    return 0;
}
