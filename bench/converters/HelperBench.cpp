// The engine conversions as the app ran them until now, in its own process, against the same
// conversions in a conversion helper, side by side in one run: HTML to Markdown of 1 KB, 100 KB
// and 2 MiB of an ordinary article, and Markdown to HTML of 100 KB. "Warm" converts again and
// again, the helper kept at rest between conversions as while the panel is open; "First" is the
// first conversion after the panel opens: a fresh set of workers in the app, a helper asked to
// start at that moment. Each iteration times both paths; the counters give their times in ms and
// the helper's time as a ratio of the in-process one.
//   bench_converters --benchmark_filter=Helper
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "SampleMarkup.h"
#include "converters/ConversionHelpers.h"
#include "converters/ConverterEngines.h"
#include "converters/Converters.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "support/MainQueueWaits.h"

namespace pindrake::converters::bench {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using Clock = std::chrono::steady_clock;

struct Sample {
    const char* converter;
    ClipboardContent input;
};

Sample sample(int which) {
    ClipboardContent input;
    switch (which) {
        case 0:
        case 1:
        case 2:
            input.html = ordinaryHtml(which == 0 ? 1'000 : which == 1 ? 100'000 : (2 << 20) - 4096);
            input.tags = {ContentTag::html};
            return {"html.toMarkdown", input};
        default:
            input.plainText = ordinaryMarkdown(100'000);
            input.tags = {ContentTag::markdown};
            return {"markdown.toHTML", input};
    }
}

// The app's conversion services, with helpers or without.
struct App {
    explicit App(bool withHelpers) {
        setenv("PINDRAKE_RESOURCES", PINDRAKE_BUILD_RESOURCES, 0);
        if (withHelpers) {
            services.helpers = std::make_shared<ConversionHelpers>(PINDRAKE_CONVERSION_HELPER);
            services.helpers->keepWarm();
        }
    }

    // Milliseconds from asking to the result on the main queue.
    double convert(const Converter& converter, const ClipboardContent& input) {
        std::optional<ClipboardContent> result;
        const auto start = Clock::now();
        converter.convert(input, services, [&result](ClipboardContent out) { result = out; });
        test_support::runUntil(main, [&result] { return result.has_value(); });
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (!result || *result == input)
            throw std::runtime_error(std::string(converter.id()) + " gave its input back");
        return ms;
    }

    ManualScheduler main;
    ConversionWorkers workers{"bench", 2};
    ConversionServices services{main,
                                workers,
                                std::make_shared<platform::FakeTextRecognizer>(),
                                std::make_shared<platform::FakeLanguageModel>(),
                                platform::JavaScriptCoreWebView::factory(main),
                                "en_US",
                                {}};
};

void report(benchmark::State& state, double inProcess, double helper) {
    state.counters["in_process_ms"] = inProcess;
    state.counters["helper_ms"] = helper;
    state.counters["helper_vs_in_process"] = helper / inProcess;
}

const Converter& registryConverter(const char* id) {
    for (const Converter* converter : Converters::textConverters()) {
        if (converter->id() == id)
            return *converter;
    }
    throw std::invalid_argument(id);
}

void Helper_First(benchmark::State& state) {
    const auto [id, input] = sample(static_cast<int>(state.range(0)));
    double inProcess = 0;
    double helper = 0;
    for (auto _ : state) {
        App plain(false);
        inProcess += plain.convert(*converterEngine(id), input);
        App helped(true);
        helper += helped.convert(registryConverter(id), input);
    }
    report(state, inProcess / state.iterations(), helper / state.iterations());
}

void Helper_Warm(benchmark::State& state) {
    const auto [id, input] = sample(static_cast<int>(state.range(0)));
    App plain(false);
    App helped(true);
    plain.convert(*converterEngine(id), input);
    helped.convert(registryConverter(id), input);
    double inProcess = 0;
    double helper = 0;
    for (auto _ : state) {
        inProcess += plain.convert(*converterEngine(id), input);
        helper += helped.convert(registryConverter(id), input);
    }
    report(state, inProcess / state.iterations(), helper / state.iterations());
}

// Arguments: 0, 1, 2 are HTML to Markdown of 1 KB, 100 KB and 2 MiB; 3 is Markdown to HTML.
BENCHMARK(Helper_First)->DenseRange(0, 3)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Helper_Warm)->DenseRange(0, 3)->MinTime(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pindrake::converters::bench
