// The history folder under kill -9, driven by history-crash-check:
//   history_crash_loop <folder> <limit> <first> [pause-ms]
//     adds captures numbered <first>, <first>+1, ... for ever (every third with an image, every
//     eighth with an 80 KB text, some in bursts saved as one), and prints "+N" before adding
//     capture N and "=N" once it is on disk (acknowledged);
//   history_crash_loop --verify <folder> <limit>
//     loads the folder as the app does at start-up, waits for its cleanup, and prints one line
//     per entry, newest first: "<capture number> <id> <image file name or -> <text file name or
//     ->"; exits 2 when a text kept apart does not read back whole.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "clipboard/HistoryStore.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "support/NumberedCaptures.h"

using namespace pindrake;

namespace {

constexpr std::string_view textPrefix = "capture ";

// Unbuffered, so that a kill loses no line already printed.
void say(const std::string& line) {
    const std::string out = line + "\n";
    if (::write(STDOUT_FILENO, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        std::exit(1);
}

struct Folder {
    Folder(const char* path, const char* limit) {
        defaults.set(std::string(clipboard::HistoryStore::maxHistoryItemsKey),
                     std::int64_t{std::stoll(limit)});
        store = std::make_unique<clipboard::HistoryStore>(
            path, clipboard::HistoryStore::Services{main, defaults, codec});
    }

    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    platform::FakeImageCodec codec;
    std::unique_ptr<clipboard::HistoryStore> store;
};

void addCapture(Folder& folder, long number) {
    auto [content, offered] = test_support::numberedCapture(number, folder.codec);
    say("+" + std::to_string(number));
    folder.store->add(content, offered);
}

int loop(const char* path, const char* limit, long first, int pauseMs) {
    Folder folder(path, limit);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> burst(1, 4);
    std::uniform_int_distribution<int> pause(0, 2 * pauseMs);
    for (long number = first;;) {
        // Captures in a burst are saved as one history write.
        const long end = number + (random() % 4 == 0 ? burst(random) : 1);
        const long burstFirst = number;
        for (; number < end; ++number)
            addCapture(folder, number);
        folder.store->flush();
        for (long acknowledged = burstFirst; acknowledged < end; ++acknowledged)
            say("=" + std::to_string(acknowledged));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
    }
}

int verify(const char* path, const char* limit) {
    Folder folder(path, limit);
    folder.store->flush();
    for (const auto& entry : folder.store->items()->entries()) {
        const clipboard::ClipboardItem& item = *entry;
        const std::string text = item.plainText.value_or("");
        if (!text.starts_with(textPrefix))
            return 2;
        const std::string number =
            text.substr(textPrefix.size(), text.find(' ', textPrefix.size()) - textPrefix.size());
        if (item.plainTextIsStart &&
            folder.store->contentReader(entry)().plainText !=
                test_support::numberedCapture(std::stol(number), folder.codec).first.plainText) {
            return 2;
        }
        say(number + " " + item.id + " " + item.imageFilename.value_or("-") + " " +
            (item.plainTextIsStart ? item.id + ".plainText" : "-"));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "--verify" && argc == 4)
        return verify(argv[2], argv[3]);
    if (argc == 4 || argc == 5)
        return loop(argv[1], argv[2], std::stol(argv[3]), argc == 5 ? std::stoi(argv[4]) : 30);
    std::fprintf(stderr,
                 "usage: history_crash_loop <folder> <limit> <first> [pause-ms]\n"
                 "       history_crash_loop --verify <folder> <limit>\n");
    return 64;
}
