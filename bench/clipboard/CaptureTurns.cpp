// The longest single turn of the main queue while one copy is captured, for the inputs that used
// to hold it up: no display needed.
//   capture_turns  ->  per input: the longest turn (median and worst of 5 captures) and whether
//   the copy became an entry.
// A turn is one task the main queue runs; a capture is over when a short text copied after it
// has become an entry, which captures keep in order.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QBuffer>
#include <QImage>

#include "ScreenshotLikeImage.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "foundation/BackgroundTask.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "platform/linux/PngSamples.h"
#include "platform/linux/QtImageCodec.h"
#include "support/MainQueueWaits.h"
#include "support/MainTurnProbe.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

using namespace pindrake;

namespace {

// An RGBA PNG whose every byte of pixel data (filter bytes included) is zero, compressed as
// tightly as zlib can: the most inflating per byte on the clipboard.
std::string allZeroPng(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t pixelData = (1 + std::uint64_t{width} * 4) * height;
    return platform::testing::pngStart(
        width, height, 8, 6, 0, "IHDR",
        platform::testing::deflated(pixelData, 0, Z_BEST_COMPRESSION));
}

std::string screenshotPng() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bench::screenshotLikeImage().save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

struct Input {
    std::string name;
    platform::PasteboardContents offered;
};

struct Figures {
    std::vector<double> longestTurnsMs;
    bool captured = false;
};

Figures measure(const Input& input, int runs) {
    test_support::TemporaryDirectory folder;
    ManualScheduler queue;
    bench::MainTurnProbe main(queue);
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    platform::ScriptedWorkspace workspace;
    const auto codec = std::make_shared<const platform::QtImageCodec>();
    WorkQueue captureChecks("capture-checks", 1);
    clipboard::HistoryStore store(folder.path(), {queue, defaults, *codec});
    // The text of each capture, when short: copying a large one would add to the turn measured.
    std::vector<std::optional<std::string>> captured;
    auto monitor = clipboard::ClipboardMonitor::create(
        {main, pasteboard, workspace, codec,
         [&captureChecks](std::function<void()> job) { captureChecks.async(std::move(job)); }},
        [&](clipboard::ClipboardContent content, const platform::PasteboardContents& offered) {
            captured.push_back(content.plainText && content.plainText->size() < 100
                                   ? content.plainText
                                   : std::nullopt);
            store.add(std::move(content), offered);
        });
    Figures figures;
    for (int run = 0; run < runs; ++run) {
        const std::string sentinel = "copied after, " + std::to_string(run);
        captured.clear();
        main.reset();
        pasteboard.simulateCopy(input.offered);
        monitor->scheduleCheckOnMain();
        queue.runUntilIdle();
        const double copyTurns = main.longestWallMs();
        pasteboard.simulateCopy({{"public.utf8-plain-text", sentinel}});
        monitor->scheduleCheckOnMain();
        const bool ended = test_support::runUntil(
            queue, [&] { return !captured.empty() && captured.back() == sentinel; });
        if (!ended) {
            std::fprintf(stderr, "%s: the capture never ended\n", input.name.c_str());
            std::exit(1);
        }
        // The sentinel's own turns are tiny; the copy's are the larger of what was seen.
        figures.longestTurnsMs.push_back(std::max(copyTurns, main.longestWallMs()));
        figures.captured = captured.size() == 2;
    }
    return figures;
}

}  // namespace

int main() {
    std::vector<Input> inputs = {
        {"3840x2160 screenshot PNG", {{"public.png", screenshotPng()}}},
        {"all-zero 3840x2160 PNG", {{"public.png", allZeroPng(3840, 2160)}}},
        {"all-zero 8192x8192 PNG", {{"public.png", allZeroPng(8192, 8192)}}},
        {"all-zero 4096x8192 PNG (at the limit)", {{"public.png", allZeroPng(4096, 8192)}}},
        {"1 MB of \"> - \"",
         {{"public.utf8-plain-text", test_support::repeatedText("> - ", 1u << 20)}}},
        {"128 MB of words (the read limit)",
         {{"public.utf8-plain-text", test_support::repeatedText("copied words ", 128u << 20)}}},
    };
    std::printf("%-40s %10s %14s %14s  %s\n", "input", "bytes", "median turn", "worst turn",
                "entry");
    for (const auto& input : inputs) {
        auto figures = measure(input, 5);
        auto& turns = figures.longestTurnsMs;
        std::sort(turns.begin(), turns.end());
        std::printf("%-40s %10zu %11.1f ms %11.1f ms  %s\n", input.name.c_str(),
                    input.offered.entries().front().data.size(), turns[turns.size() / 2],
                    turns.back(), figures.captured ? "yes" : "no");
    }
    return 0;
}
