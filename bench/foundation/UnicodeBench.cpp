#include <benchmark/benchmark.h>

#include <string>

#include "foundation/Unicode.h"

namespace {

std::string repeated(const std::string& unit, std::size_t bytes) {
    std::string out;
    while (out.size() < bytes)
        out += unit;
    return out;
}

void BM_CaseFoldAscii(benchmark::State& state) {
    const auto text = repeated("The quick brown fox jumps over the lazy dog. ", 1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pindrake::unicode::caseFolded(text));
    }
}
BENCHMARK(BM_CaseFoldAscii);

void BM_CaseFoldJapanese(benchmark::State& state) {
    const auto text = repeated("日本語のテキストとEnglish words. ", 1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pindrake::unicode::caseFolded(text));
    }
}
BENCHMARK(BM_CaseFoldJapanese);

void BM_GraphemePrefixOfEmojiText(benchmark::State& state) {
    const auto text = repeated("👨‍👩‍👧 family 🇯🇵 ", 4096);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pindrake::unicode::graphemePrefix(text, 200));
    }
}
BENCHMARK(BM_GraphemePrefixOfEmojiText);

}  // namespace

BENCHMARK_MAIN();
