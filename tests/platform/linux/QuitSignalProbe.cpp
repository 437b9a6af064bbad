// A history on a Qt event loop that quits on signals as the application does:
//   quit_signal_probe <folder> <captures> [--gated] [--stuck-quit] [--default-signals]
// adds the captures at once (every third with an image, every eighth with an 80 KB text),
// prints "=N" for each once the history holds it (acknowledged), then "burst", and runs until a
// signal ends it. --gated holds every image's encoding until quitting has begun, so that nothing
// acknowledged can reach the disk before the signal is handled; --stuck-quit never lets it go,
// so that quitting (said as "quitting") is stuck saving an image; --default-signals leaves the
// signals' default handling in place (a signal then kills the process).
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "clipboard/HistoryStore.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/linux/QuitSignals.h"
#include "support/NumberedCaptures.h"

using namespace pindrake;

namespace {

void say(const std::string& line) {
    const std::string out = line + "\n";
    if (::write(STDOUT_FILENO, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        std::_Exit(1);
}

class GatedCodec final : public platform::ImageCodec {
  public:
    explicit GatedCodec(bool gated) : open_(!gated) {}

    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::optional<platform::Image> decode(std::string_view bytes) const override {
        return codec_.decode(bytes);
    }
    std::optional<platform::Image> inspect(std::string_view bytes) const override {
        return codec_.inspect(bytes);
    }
    std::optional<std::string> encodePng(const platform::Image& image) const override {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
        return codec_.encodePng(image);
    }

  private:
    platform::FakeImageCodec codec_;
    mutable std::mutex mutex_;
    mutable std::condition_variable opened_;
    bool open_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs(
            "usage: quit_signal_probe <folder> <captures> [--gated] [--stuck-quit] "
            "[--default-signals]\n",
            stderr);
        return 64;
    }
    bool gated = false;
    bool stuckQuit = false;
    bool defaultSignals = false;
    for (int i = 3; i < argc; ++i) {
        stuckQuit |= std::string_view(argv[i]) == "--stuck-quit";
        gated |= stuckQuit || std::string_view(argv[i]) == "--gated";
        defaultSignals |= std::string_view(argv[i]) == "--default-signals";
    }
    QCoreApplication application(argc, argv);
    std::optional<platform::QuitSignals> quitSignals;
    if (!defaultSignals)
        quitSignals.emplace([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });

    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    GatedCodec codec(gated);
    ManualScheduler main;
    clipboard::HistoryStore store(argv[1], {main, defaults, codec});
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] {
        if (stuckQuit)
            say("quitting");
        else
            codec.open();
        store.flush();
    });
    const int captures = std::stoi(argv[2]);
    QTimer::singleShot(0, [&] {
        for (int number = 1; number <= captures; ++number) {
            const auto [content, offered] = test_support::numberedCapture(number, codec);
            store.add(content, offered);
            if (store.items()->front().plainText->starts_with("capture " + std::to_string(number)))
                say("=" + std::to_string(number));
        }
        say("burst");
    });
    return QCoreApplication::exec();
}
