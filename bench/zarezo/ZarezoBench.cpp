// Turndown on a 100 KB page: our engine (JavaScriptCore with the domino page) against node
// running the same bundles on the same input, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/ManualScheduler.h"
#include "foundation/Resources.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "zarezo/TurndownRuntime.h"
#include "zarezo/Zarezo.h"

namespace {

using namespace pindrake;
using namespace pindrake::zarezo;

// A documentation-style page: headings, paragraphs with inline markup and links, lists, a
// table and code blocks, repeated to about 100 KB.
std::string makePage(std::size_t size) {
    std::string html = "<html><head><title>Guide</title><style>p{margin:0}</style></head><body>";
    for (int section = 0; html.size() < size; ++section) {
        const std::string n = std::to_string(section);
        html += "<h2>Section " + n + "</h2>";
        html += "<p>This section explains <strong>feature " + n +
                "</strong> with <em>care</em>, "
                "a <a href=\"https://example.com/docs/" +
                n +
                "\">reference link</a> and "
                "<code>inline_code(" +
                n +
                ")</code>. It wraps a long sentence so that the "
                "paragraph looks like real prose &amp; entities&nbsp;too.</p>";
        html += "<ul><li>First point of " + n +
                "</li><li>Second with <b>bold</b></li>"
                "<li>Nested<ul><li>inner a</li><li>inner b</li></ul></li></ul>";
        html += "<ol><li>step one</li><li>step two</li></ol>";
        html +=
            "<table><thead><tr><th>Key</th><th>Value</th></tr></thead><tbody>"
            "<tr><td>a" +
            n +
            "</td><td>1</td></tr><tr><td>b</td><td>2</td></tr>"
            "</tbody></table>";
        html += "<pre><code class=\"language-js\">function f" + n +
                "() {\n  return `value ${x}`;\n}\n</code></pre>";
        html += "<blockquote><p>Quoted remark " + n + "</p></blockquote><hr>";
    }
    return html + "</body></html>";
}

const std::string& page() {
    static const std::string html = makePage(100 * 1024);
    return html;
}

MarkdownResult waitFor(ManualScheduler& main, const std::function<void(MarkdownCompletion)>& go) {
    std::optional<MarkdownResult> outcome;
    go([&outcome](MarkdownResult r) { outcome = std::move(r); });
    while (!outcome) {
        main.runUntilIdle();
        if (!outcome)
            main.waitForPost(std::chrono::seconds(30));
    }
    return *outcome;
}

struct NodeFigures {
    double coldMs = 0;
    double warmMs = 0;
};

std::optional<NodeFigures> runNodeOnce(const std::filesystem::path& input) {
    const auto resources = resources::applicationFolder();
    const std::string command = "node '" PINDRAKE_BENCH_DIR "/turndown-node.js' '" +
                                (resources / "web-view/page-dom.min.js").string() + "' '" +
                                (resources / "zarezo/turndown.min.js").string() + "' '" +
                                input.string() + "' 20";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        if (pclose(pipe) != 0)
            output.clear();
    }
    const auto json = nlohmann::json::parse(output, nullptr, false);
    if (json.is_discarded())
        return std::nullopt;
    return NodeFigures{json.value("coldMs", 0.0), json.value("warmMs", 0.0)};
}

// Runs the reference before the benchmarks, on the same bundles and input: a fresh node process
// for each cold figure, the median of five.
std::optional<NodeFigures> runNode() {
    const auto input = std::filesystem::temp_directory_path() / "bench_zarezo_page.html";
    std::ofstream(input, std::ios::binary) << page();
    std::vector<double> cold, warm;
    for (int run = 0; run < 5; ++run) {
        auto figures = runNodeOnce(input);
        if (!figures)
            break;
        cold.push_back(figures->coldMs);
        warm.push_back(figures->warmMs);
    }
    std::filesystem::remove(input);
    if (cold.size() < 5)
        return std::nullopt;
    auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + 2, values.end());
        return values[2];
    };
    return NodeFigures{median(cold), median(warm)};
}

std::optional<NodeFigures> node;

void reportAgainstNode(benchmark::State& state, double ourMs, double nodeMs) {
    state.counters["ms"] = ourMs;
    if (!node)
        return;
    state.counters["node_ms"] = nodeMs;
    state.counters["ratio_to_node"] = ourMs / nodeMs;
}

// A loaded engine converting the page again and again.
void BM_TurndownWarm(benchmark::State& state) {
    ManualScheduler main;
    TurndownRuntime turndown(main, platform::JavaScriptCoreWebView::factory(main));
    auto convert = [&] {
        return waitFor(main, [&](MarkdownCompletion done) {
            turndown.convert(page(), ZarezoOptions(), std::move(done));
        });
    };
    if (!std::holds_alternative<std::string>(convert())) {
        state.SkipWithError("Turndown failed");
        return;
    }
    double totalMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(convert());
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    reportAgainstNode(state, totalMs / double(state.iterations()), node ? node->warmMs : 0);
}
BENCHMARK(BM_TurndownWarm)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// What the application does for each conversion: a new converter, a new web view, the library
// loaded, the page converted and post-processed.
void BM_ZarezoColdFirstConversion(benchmark::State& state) {
    ManualScheduler main;
    double totalMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            Zarezo zarezo(main, platform::JavaScriptCoreWebView::factory(main));
            auto result = waitFor(main, [&](MarkdownCompletion done) {
                zarezo.convertToMarkdown(page(), ZarezoOptions(), std::move(done));
            });
            if (!std::holds_alternative<std::string>(result))
                state.SkipWithError("failed");
        }
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    reportAgainstNode(state, totalMs / double(state.iterations()), node ? node->coldMs : 0);
}
BENCHMARK(BM_ZarezoColdFirstConversion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    setenv("PINDRAKE_RESOURCES", PINDRAKE_BUILD_RESOURCES, 0);
    benchmark::Initialize(&argc, argv);
    node = runNode();
    if (node) {
        std::printf("node reference on %zu bytes: cold %.1f ms, warm %.2f ms\n", page().size(),
                    node->coldMs, node->warmMs);
    } else {
        std::printf("node reference unavailable: no ratios\n");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
