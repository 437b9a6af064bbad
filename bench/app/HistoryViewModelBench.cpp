// Median of one typed character filtering a 2000-entry history through the view model, and the
// share of it spent outside the store's search (the same search timed alone in each iteration).
// Then a word that only the ends of three entries of 120 MB hold, typed into the same history:
// the keystroke on the main thread, and the time until the list shows the three entries, which
// are searched on a worker thread ("found" counts those the list shows).
#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>

#include "app/model/HistoryViewModel.h"
#include "foundation/BackgroundTask.h"
#include "foundation/ManualScheduler.h"
#include "foundation/Uuid.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "support/Elapsed.h"
#include "support/TestFiles.h"

namespace pindrake::app {
namespace {

using test_support::Clock;
using test_support::secondsSince;

// 2000 entries of about 300 bytes of words, newest first, kinds as the monitor gives them.
std::vector<clipboard::ClipboardItem> history() {
    static const char* const words[] = {"table",  "server", "request", "value", "window",
                                        "column", "update", "token",   "build", "lorem"};
    std::vector<clipboard::ClipboardItem> items;
    for (int i = 0; i < 2000; ++i) {
        clipboard::ClipboardItem item;
        item.id = makeUuid();
        item.createdAt = clipboard::Date{700000000.0 - i * 60};
        item.tags = {i % 7 == 0 ? clipboard::ContentTag::json : clipboard::ContentTag::plainText};
        std::string text;
        for (int w = 0; text.size() < 300; ++w)
            text += std::string(words[(i * 7 + w * 3) % 10]) + ' ';
        item.plainText = std::move(text);
        item.pasteboardTypes = {"public.utf8-plain-text", "public.html"};
        items.push_back(std::move(item));
    }
    return items;
}

// The panel's world on fakes, with a store of up to 2000 entries.
struct PanelWorld {
    PanelWorld() { defaults.set(clipboard::HistoryStore::maxHistoryItemsKey, std::int64_t{2000}); }

    const test_support::TemporaryDirectory folder;
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    platform::FakeImageCodec codec;
    platform::ScriptedWorkspace workspace;
    platform::RecordingKeySynth keys;
    converters::ConversionWorkers workers{"bench", 1};
    const converters::ConversionServices conversion{
        main,
        workers,
        std::make_shared<platform::FakeTextRecognizer>(),
        std::make_shared<platform::FakeLanguageModel>(),
        nullptr,
        "en_US",
        {}};
    clipboard::HistoryStore store{folder.path(), {main, defaults, codec}};
    clipboard::PasteService paste{
        {main, pasteboard, keys, codec,
         [this](std::function<void()> read) { main.post(std::move(read)); }}};
};

void BM_FilterOneTypedCharacterIn2000Entries(benchmark::State& state) {
    PanelWorld world;
    auto& main = world.main;
    auto& store = world.store;
    {
        store.items() = clipboard::HistoryList(history());
        // Filtering starts no conversion: an entry's read, were one asked for, runs in a later
        // turn.
        auto vm = HistoryViewModel::create(
            {main, store, world.paste, world.keys, world.workspace, world.conversion,
             [&main](std::function<void()> read) { main.post(std::move(read)); }});
        store.search("e");  // the store folds each text once; typing finds them folded

        double filterTime = 0;
        double searchTime = 0;
        for (auto _ : state) {
            auto started = Clock::now();
            vm->query = "e";
            const double filtered = secondsSince(started);
            started = Clock::now();
            const auto found = store.search("e");
            searchTime += secondsSince(started);
            filterTime += filtered;
            state.SetIterationTime(filtered);
            if (found.size() != vm->filteredItems.get()->size() || found.empty())
                state.SkipWithError("different matches");
        }
        const auto n = static_cast<double>(state.iterations());
        state.counters["search_us"] = searchTime / n * 1e6;
        state.counters["share_outside_search"] = (filterTime - searchTime) / filterTime;
    }
}
BENCHMARK(BM_FilterOneTypedCharacterIn2000Entries)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The words only the ends of the large entries hold; each iteration types the other one, so
// nothing is known of it from the one before.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr std::string_view endWords[] = {"zebrafinch", "quokkamoth"};

void BM_TypedWordFoundAtTheEndOfThree120MBEntries(benchmark::State& state) {
    PanelWorld world;
    auto& main = world.main;
    auto& store = world.store;
    WorkQueue entryReads("entry-reads", 1);
    // The worker's thread CPU time over the run, which does not depend on the machine's load.
    std::atomic<double> workerTime = 0;
    auto items = history();
    items.resize(1997);
    store.items() = clipboard::HistoryList(std::move(items));
    std::string large;
    for (int i = 0; i < 3; ++i) {
        large.clear();
        while (large.size() < 120'000'000)
            large += "the quick brown fox jumps over the lazy dog ";
        large +=
            std::string(endWords[0]) + ' ' + std::string(endWords[1]) + ' ' + std::to_string(i);
        clipboard::ClipboardContent content;
        content.plainText = large;
        store.add(std::move(content), {{"public.utf8-plain-text", large}});
    }
    large = {};
    store.flush();
    auto vm = HistoryViewModel::create({main, store, world.paste, world.keys, world.workspace,
                                        world.conversion, [&](std::function<void()> job) {
                                            entryReads.async([&workerTime, job = std::move(job)] {
                                                const double started = threadCpuSeconds();
                                                job();
                                                workerTime += threadCpuSeconds() - started;
                                            });
                                        }});

    double keystrokeTime = 0;
    double keystrokeCpu = 0;
    double listTime = 0;
    std::size_t found = 0;
    int iteration = 0;
    for (auto _ : state) {
        vm->query = std::string();
        const std::string word(endWords[iteration++ % 2]);
        const auto started = Clock::now();
        const double cpuStarted = threadCpuSeconds();
        vm->query = word;
        keystrokeCpu += threadCpuSeconds() - cpuStarted;
        const double keystroke = secondsSince(started);
        // The list is complete when it shows the three, or when nothing more comes.
        while (vm->filteredItems.get()->size() < 3 && main.waitForPost(std::chrono::seconds(2)))
            main.runUntilIdle();
        listTime += vm->filteredItems.get()->size() < 3 ? keystroke : secondsSince(started);
        keystrokeTime += keystroke;
        found = vm->filteredItems.get()->size();
        state.SetIterationTime(keystroke);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["keystroke_ms"] = keystrokeTime / n * 1e3;
    state.counters["keystroke_cpu_ms"] = keystrokeCpu / n * 1e3;
    state.counters["list_ms"] = listTime / n * 1e3;
    state.counters["found"] = static_cast<double>(found);
    state.counters["worker_cpu_ms"] = workerTime / n * 1e3;
}
BENCHMARK(BM_TypedWordFoundAtTheEndOfThree120MBEntries)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace pindrake::app

BENCHMARK_MAIN();
