// The Markdown test of a capture's check on texts whose inline Markdown is costly, against a
// text of ordinary lines. Google Benchmark's CPU column is the running thread's own time, which
// a busy machine does not inflate.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "clipboard/MarkdownDetection.h"
#include "support/RepeatedText.h"

namespace pindrake::clipboard {
namespace {

using test_support::repeated;

struct Shape {
    std::string name;
    std::string text;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all = {
        {"ordinary text 244 KB",
         test_support::repeatedText(
             "The quick brown fox jumps over the lazy dog, then \"rests\" -- for a while.\n",
             244'000)},
        {"![[]() x 20,000", repeated("![[]()", 20'000)},
        {"![[]() x 43,690", repeated("![[]()", 43'690)},
        {"\" x 8,192", repeated("\"", 8'192)},
        {"\" x 16,384", repeated("\"", 16'384)},
        {"\" x 32,768", repeated("\"", 32'768)},
        {"\" x 65,536", repeated("\"", 65'536)},
        {"x + <![CDATA[ x 29,126", "x" + repeated("<![CDATA[", 29'126)},
    };
    return all;
}

void BM_MarkdownTest(benchmark::State& state) {
    const Shape& shape = shapes()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(shape.name);
    for (auto _ : state)
        benchmark::DoNotOptimize(hasMarkdownBlockStructure(shape.text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * shape.text.size()));
}
BENCHMARK(BM_MarkdownTest)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->MinTime(0.2);

}  // namespace
}  // namespace pindrake::clipboard
