// Main-thread cost of the clipboard capture, run under tests/support/with-x11:
//   capture_times  ->  medians of: one capture with 2000 entries of 1 KB and with one 50 MB
//   entry in the history; the longest main-queue stall while a clipboard owner hangs; the
//   time from a copy (xclip started) to the new copy being readable, without the poll's wait.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "foundation/ManualScheduler.h"
#include "foundation/Uuid.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/XcbConnection.h"
#include "support/QtEventLoop.h"
#include "support/TestFiles.h"

using namespace pindrake;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds of main-thread work from the change seen to the new list published.
double captureMilliseconds(const std::vector<std::string>& history, int runs) {
    test_support::TemporaryDirectory folder;
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    defaults.set(std::string(clipboard::HistoryStore::maxHistoryItemsKey), std::int64_t{2000});
    platform::InMemoryPasteboard pasteboard;
    platform::ScriptedWorkspace workspace;
    const auto codec = std::make_shared<const platform::FakeImageCodec>();
    clipboard::HistoryStore store(folder.path(), {main, defaults, *codec});
    auto monitor = clipboard::ClipboardMonitor::create(
        // The check of a short text is timed with the rest: it runs at once, on this thread.
        {main, pasteboard, workspace, codec, [](std::function<void()> check) { check(); }},
        [&](clipboard::ClipboardContent content, const platform::PasteboardContents& offered) {
            store.add(std::move(content), offered);
        });
    std::vector<clipboard::ClipboardItem> items;
    for (const auto& text : history) {
        clipboard::ClipboardItem item;
        item.id = makeUuid();
        item.createdAt = clipboard::Date::now();
        item.plainText = text;
        item.tags = {clipboard::ContentTag::plainText};
        items.push_back(std::move(item));
    }
    store.items() = clipboard::HistoryList(std::move(items));
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        pasteboard.simulateCopy(
            {{"public.utf8-plain-text", std::string(1024, 'n') + std::to_string(i)}});
        const auto start = Clock::now();
        monitor->checkPasteboard();
        main.runUntilIdle();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> small;
    for (int i = 0; i < 2000; ++i)
        small.push_back(std::string(1024, 'a') + std::to_string(i));
    std::printf("capture, 2000 entries of 1 KB: median %.2f ms\n", captureMilliseconds(small, 21));
    std::printf("capture, one 50 MB entry:      median %.2f ms\n",
                captureMilliseconds({std::string(50u << 20, 'b')}, 11));

    platform::QtPasteboard pasteboard;
    // An owner that never answers: it takes the clipboard and reads no request.
    platform::XcbConnection hung;
    const xcb_window_t window = xcb_generate_id(hung.get());
    xcb_create_window(hung.get(), 0, window, hung.root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    QTimer ticks;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTick.restart()); });
    ticks.start(1);
    sinceTick.start();
    const auto before = pasteboard.changeCount();
    hung.succeeded(xcb_set_selection_owner_checked(hung.get(), window, hung.atom("CLIPBOARD"),
                                                   XCB_CURRENT_TIME));
    std::vector<double> stalls;
    for (int i = 0; i < 5; ++i) {
        longest = 0;
        pindrake::test_support::waitUntil([] { return false; }, std::chrono::milliseconds(1000));
        stalls.push_back(static_cast<double>(longest));
    }
    std::printf(
        "longest main-queue stall while an owner hangs, per second over 5 s: median %.0f ms, "
        "worst %.0f ms (read ended: %s)\n",
        median(stalls), *std::max_element(stalls.begin(), stalls.end()),
        pasteboard.changeCount() != before ? "yes" : "no");

    std::vector<double> copies;
    for (int i = 0; i < 11; ++i) {
        const auto seen = pasteboard.changeCount();
        QProcess xclip;
        QElapsedTimer sinceCopy;
        sinceCopy.start();
        xclip.start("xclip", {"-selection", "clipboard", "-quiet", "-i"});
        xclip.write(("copied text " + std::to_string(i)).c_str());
        xclip.closeWriteChannel();
        pindrake::test_support::waitUntil([&] { return pasteboard.changeCount() != seen; });
        copies.push_back(static_cast<double>(sinceCopy.nsecsElapsed()) / 1e6);
        xclip.kill();
        xclip.waitForFinished(2000);
        pindrake::test_support::waitUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    std::printf("copy (xclip started) to copy readable: median %.1f ms\n", median(copies));
    return 0;
}
