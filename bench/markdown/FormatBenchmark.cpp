// Writing the parsed 1 MB GitHub-flavoured text (GfmCorpus) back out.
//
// FormatHTML is HTMLFormatter over the parsed tree; CmarkRenderHTML is cmark-gfm's HTML
// renderer over its own tree of the same text, parsed with the same options and extensions and
// rendered with raw HTML passed through, as HTMLFormatter does. FormatMarkdown is the Markdown
// formatter over the parsed tree, to be compared with ParseDocument of the same text.
#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <cstdlib>

#include "GfmCorpus.h"
#include "markdown/format/HTMLFormatter.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/parse/CmarkOptions.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

const Document& parsedCorpus() {
    static const Document document = parseDocument(gfmCorpus());
    return document;
}

void FormatHTML(benchmark::State& state) {
    const Document& document = parsedCorpus();
    for (auto _ : state) {
        const std::string html = HTMLFormatter::format(document);
        benchmark::DoNotOptimize(html.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gfmCorpus().size()));
}

void CmarkRenderHTML(benchmark::State& state) {
    const std::string& text = gfmCorpus();
    cmark_gfm_core_extensions_ensure_registered();
    cmark_parser* parser = cmark_parser_new(cmarkOptionsFor({}));
    for (const char* name : {"table", "strikethrough", "tasklist"})
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
    cmark_parser_feed(parser, text.data(), text.size());
    cmark_node* document = cmark_parser_finish(parser);
    cmark_llist* extensions = cmark_parser_get_syntax_extensions(parser);
    for (auto _ : state) {
        char* html = cmark_render_html(document, CMARK_OPT_UNSAFE, extensions);
        benchmark::DoNotOptimize(html);
        std::free(html);
    }
    cmark_node_free(document);
    cmark_parser_free(parser);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void FormatMarkdown(benchmark::State& state) {
    const Document& document = parsedCorpus();
    for (auto _ : state) {
        const std::string markdown = format(document);
        benchmark::DoNotOptimize(markdown.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gfmCorpus().size()));
}

BENCHMARK(FormatHTML)->Unit(benchmark::kMillisecond);
BENCHMARK(CmarkRenderHTML)->Unit(benchmark::kMillisecond);
BENCHMARK(FormatMarkdown)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pindrake::markdown
