// The Markdown formatter over deeply nested trees, each against a flat tree whose output is as
// long, in the same run: N emphases nested in each other (4N bytes of output; 25,000 give
// 100 KB) at a line limit of 80 against N emphases side by side, and N quotes nested in each
// other against a paragraph of as many characters. Each runs at two sizes, four times apart, so
// that the growth shows. The "bytes" counter is the length of the output; peak memory is
// measured per benchmark with /usr/bin/time -v (see README.md).
#include <benchmark/benchmark.h>

#include "markdown/format/MarkupFormatter.h"

namespace pindrake::markdown {
namespace {

MarkupFormatterOptions limitOf80() {
    MarkupFormatterOptions options;
    options.preferredLineLimit = MarkupFormatterOptions::PreferredLineLimit(
        80, MarkupFormatterOptions::PreferredLineLimit::SplittingElement::softBreak);
    return options;
}

Document nestedEmphasis(std::int64_t count) {
    Emphasis emphasis{Text("a ")};
    for (std::int64_t i = 1; i < count; ++i)
        emphasis = Emphasis{Text("a "), InlineMarkup(emphasis)};
    return Document{Paragraph{emphasis}};
}

Document flatEmphasis(std::int64_t count) {
    std::vector<InlineMarkup> inlines;
    for (std::int64_t i = 0; i < count; ++i)
        inlines.push_back(Emphasis{Text("a ")});
    return Document{Paragraph(inlines)};
}

Document nestedQuotes(std::int64_t depth) {
    BlockQuote quote{Paragraph{Text("a")}};
    for (std::int64_t i = 1; i < depth; ++i)
        quote = BlockQuote{BlockMarkup(quote)};
    return Document{quote};
}

Document flatParagraph(std::int64_t depth) {
    return Document{Paragraph{Text(std::string(2 * static_cast<std::size_t>(depth) + 1, 'a'))}};
}

void run(benchmark::State& state, const Document& document, const MarkupFormatterOptions& options) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string markdown = format(document, options);
        bytes = markdown.size();
        benchmark::DoNotOptimize(markdown.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void FormatNestedEmphasisAt80(benchmark::State& state) {
    run(state, nestedEmphasis(state.range(0)), limitOf80());
}

void FormatFlatEmphasisAt80(benchmark::State& state) {
    run(state, flatEmphasis(state.range(0)), limitOf80());
}

void FormatNestedQuotes(benchmark::State& state) {
    run(state, nestedQuotes(state.range(0)), {});
}

void FormatFlatParagraph(benchmark::State& state) {
    run(state, flatParagraph(state.range(0)), {});
}

BENCHMARK(FormatNestedEmphasisAt80)->Arg(25'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(FormatFlatEmphasisAt80)->Arg(25'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(FormatNestedQuotes)->Arg(10'000)->Arg(40'000)->Unit(benchmark::kMillisecond);
BENCHMARK(FormatFlatParagraph)->Arg(10'000)->Arg(40'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pindrake::markdown
