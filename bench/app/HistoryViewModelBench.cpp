// Median of one typed character filtering a 2000-entry history through the view model, and the
// share of it spent outside the store's search (the same search timed alone in each iteration).
#include <benchmark/benchmark.h>

#include "app/model/HistoryViewModel.h"
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

void BM_FilterOneTypedCharacterIn2000Entries(benchmark::State& state) {
    const test_support::TemporaryDirectory folder;
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    defaults.set(clipboard::HistoryStore::maxHistoryItemsKey, std::int64_t{2000});
    platform::InMemoryPasteboard pasteboard;
    platform::FakeImageCodec codec;
    platform::ScriptedWorkspace workspace;
    platform::RecordingKeySynth keys;
    converters::ConversionWorkers workers("bench", 1);
    const converters::ConversionServices conversion{
        main,
        workers,
        std::make_shared<platform::FakeTextRecognizer>(),
        std::make_shared<platform::FakeLanguageModel>(),
        nullptr,
        "en_US",
        {}};
    {
        clipboard::HistoryStore store(folder.path(), {main, defaults, codec});
        clipboard::PasteService paste(
            {main, pasteboard, keys, codec, [&main](std::function<void()> read) { main.post(std::move(read)); }});
        store.items() = clipboard::HistoryList(history());
        // Filtering starts no conversion: an entry's read, were one asked for, runs in a later
        // turn.
        auto vm = HistoryViewModel::create(
            {main, store, paste, keys, workspace, conversion,
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

}  // namespace
}  // namespace pindrake::app

BENCHMARK_MAIN();
