// Medians of: loading a 2000-entry history, searching it (against a plain loop of
// case-insensitive finds over the same texts, timed in the same iterations), capturing a
// 3840x2160 screenshot, classifying large texts, and working out the identity of texts with long
// runs of combining marks and of a long Japanese text.
#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <random>

#include "ScreenshotLikeImage.h"

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryFile.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/TextIdentity.h"
#include "foundation/Files.h"
#include "foundation/ManualScheduler.h"
#include "foundation/Unicode.h"
#include "foundation/Uuid.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/linux/QtImageCodec.h"
#include "support/Elapsed.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using test_support::Clock;
using test_support::secondsSince;

// 1 KB texts of words; one in five holds non-ASCII words, one in twenty the word "fox".
std::vector<std::string> sampleTexts(std::size_t count) {
    static const std::vector<std::string> words = {
        "lorem", "ipsum",  "dolor", "amet",   "build",  "config", "server", "request",
        "value", "return", "table", "column", "select", "update", "token",  "window"};
    std::mt19937 random(42);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < count; ++i) {
        std::string text;
        if (i % 5 == 0)
            text += "Grüße aus Köln, 日本語のテキスト. ";
        if (i % 20 == 0)
            text += "The quick brown Fox. ";
        while (text.size() < 1000)
            text += words[random() % words.size()] + " ";
        texts.push_back(std::move(text));
    }
    return texts;
}

std::vector<ClipboardItem> sampleHistory(std::size_t count) {
    std::vector<ClipboardItem> items;
    double time = 700000000;
    for (auto& text : sampleTexts(count)) {
        ClipboardItem item;
        item.id = makeUuid();
        item.createdAt = Date{time -= 60.5};
        item.tags = {ContentTag::plainText};
        item.plainText = std::move(text);
        item.pasteboardTypes = {"public.utf8-plain-text", "public.html"};
        item.sourceBundleID = "org.example.Editor";
        items.push_back(std::move(item));
    }
    return items;
}

struct HistoryFixture {
    HistoryFixture() {
        defaults.set(HistoryStore::maxHistoryItemsKey, std::int64_t{2000});
        files::createPrivateDirectory(folder.path());
        files::writeAtomically(folder.path() / "history.json",
                               history_file::encode(HistoryList(sampleHistory(2000))));
    }
    std::unique_ptr<HistoryStore> open() {
        return std::make_unique<HistoryStore>(folder.path(),
                                              HistoryStore::Services{main, defaults, codec});
    }

    test_support::TemporaryDirectory folder;
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    platform::QtImageCodec codec;
};

void BM_LoadHistoryOf2000Entries(benchmark::State& state) {
    HistoryFixture fixture;
    for (auto _ : state) {
        const auto started = Clock::now();
        auto store = fixture.open();
        state.SetIterationTime(secondsSince(started));
        if (store->items()->size() != 2000)
            state.SkipWithError("history not loaded");
    }
}
BENCHMARK(BM_LoadHistoryOf2000Entries)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// `firstAfterLoading`: every entry's text is folded for the first time during the search.
void searchAgainstPlainLoop(benchmark::State& state, bool firstAfterLoading) {
    HistoryFixture fixture;
    auto store = fixture.open();
    std::vector<std::string> texts;
    for (const auto& item : store->items().get())
        texts.push_back(*item.plainText);
    const std::string query = "FOX";
    double searchTime = 0;
    double loopTime = 0;
    for (auto _ : state) {
        if (firstAfterLoading)
            store = fixture.open();
        auto started = Clock::now();
        const auto found = store->search(query);
        const double searched = secondsSince(started);

        started = Clock::now();
        std::size_t matches = 0;
        for (const auto& text : texts)
            matches +=
                unicode::caseFolded(text).find(unicode::caseFolded(query)) != std::string::npos;
        loopTime += secondsSince(started);
        searchTime += searched;
        state.SetIterationTime(searched);
        if (found.size() != matches || matches != 100)
            state.SkipWithError("different matches");
    }
    state.counters["plain_loop_ms"] = loopTime / static_cast<double>(state.iterations()) * 1e3;
    state.counters["ratio_to_plain_loop"] = searchTime / loopTime;
}

void BM_Search3LettersIn2000Entries(benchmark::State& state) {
    searchAgainstPlainLoop(state, false);
}
void BM_FirstSearchAfterLoading(benchmark::State& state) {
    searchAgainstPlainLoop(state, true);
}
BENCHMARK(BM_Search3LettersIn2000Entries)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FirstSearchAfterLoading)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// What one copied screenshot costs: read the clipboard's image and check it (a PNG by its
// structure, a TIFF by decoding it; on the capture's worker), store it as PNG, write the snapshot
// and save the history.
void captureScreenshot(benchmark::State& state, const char* mime, const char* format) {
    static const QImage picture = bench::screenshotLikeImage();
    const std::string bytes = encoded(picture, format);
    test_support::TemporaryDirectory folder;
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    platform::QtImageCodec codec;
    ManualScheduler main;
    HistoryStore store(folder.path(), {main, defaults, codec});
    double readTime = 0;
    for (auto _ : state) {
        pasteboard.simulateCopy({{mime, bytes}});
        auto started = Clock::now();
        const auto offered = pasteboard.read();
        auto content = ClipboardMonitor::readContent(offered, codec);
        readTime += secondsSince(started);
        if (!content || !content->image)
            state.SkipWithError("no image read");
        store.add(*content, offered);
        state.SetIterationTime(secondsSince(started));
    }
    state.counters["image_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["read_and_check_ms"] = readTime / static_cast<double>(state.iterations()) * 1e3;
}

void BM_CaptureScreenshotPng(benchmark::State& state) {
    captureScreenshot(state, "public.png", "PNG");
}
void BM_CaptureScreenshotTiff(benchmark::State& state) {
    captureScreenshot(state, "public.tiff", "TIFF");
}
BENCHMARK(BM_CaptureScreenshotPng)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CaptureScreenshotTiff)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_DetectTags(benchmark::State& state) {
    const std::string line = "The quick brown fox <b>jumps</b> over 100% of {the} [lazy] dogs\n";
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0)))
        text += line;
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipboardMonitor::detectTags(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DetectTags)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Shapes: 0 a letter under one run of U+0301, 1 under alternating U+0301 and U+0323 (which
// normalising reorders), 2 Japanese text with voiced kana (which NFC composes), each of about
// state.range(1) bytes.
void BM_TextIdentity(benchmark::State& state) {
    const char* units[] = {"\u0301", "\u0301\u0323", "\u3068\u3099\u65e5\u672c\u8a9e "};
    std::string text = state.range(0) == 2 ? "" : "e";
    while (text.size() < static_cast<std::size_t>(state.range(1)))
        text += units[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(textIdentity(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextIdentity)
    ->Args({0, 640'000})
    ->Args({0, 5'000'000})
    ->Args({1, 5'000'000})
    ->Args({2, 50'000'000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace pindrake::clipboard

BENCHMARK_MAIN();
