// Parsing about 1 MB of GitHub-flavoured Markdown: cmark-gfm's test text repeated.
//
// ParseDocument builds the tree (cmark pass, conversion, then releasing the tree); CmarkParse
// is the patched cmark-gfm's own parse and free with the same options and extensions, the cost
// the conversion adds to; Md4cParse is md4c's parse with empty callbacks and its table,
// strikethrough and task-list flags, a reference for how fast such a parser can be.
//
// LongDirectiveArguments reads one directive whose arguments run over 80,000 lines (480 KB);
// FlatDirectiveRoute reads the same lines as a paragraph in the same route, the reference: the
// two stay close when the cost per argument line does not grow with the lines before it.
// CorpusWithDirectives reads the corpus with a directive line after every blank line in the
// same route, so that the line runs between directives hold fences, open and closed.
#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>
#include <md4c.h>

#include <string>

#include "GfmCorpus.h"
#include "markdown/parse/CmarkOptions.h"
#include "markdown/parse/ParseDocument.h"

namespace {

using pindrake::markdown::ParseOptions;

void ParseDocument(benchmark::State& state) {
    const std::string& text = gfmCorpus();
    for (auto _ : state) {
        auto document = pindrake::markdown::parseDocument(text);
        benchmark::DoNotOptimize(document.raw().subtreeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void CmarkParse(benchmark::State& state) {
    const std::string& text = gfmCorpus();
    cmark_gfm_core_extensions_ensure_registered();
    for (auto _ : state) {
        cmark_parser* parser = cmark_parser_new(pindrake::markdown::cmarkOptionsFor({}));
        for (const char* name : {"table", "strikethrough", "tasklist"})
            cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
        cmark_parser_feed(parser, text.data(), text.size());
        cmark_node* document = cmark_parser_finish(parser);
        benchmark::DoNotOptimize(document);
        cmark_node_free(document);
        cmark_parser_free(parser);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

int ignoreBlock(MD_BLOCKTYPE, void*, void*) {
    return 0;
}
int ignoreSpan(MD_SPANTYPE, void*, void*) {
    return 0;
}
int ignoreText(MD_TEXTTYPE, const MD_CHAR*, MD_SIZE, void*) {
    return 0;
}

void Md4cParse(benchmark::State& state) {
    const std::string& text = gfmCorpus();
    MD_PARSER parser{};
    parser.flags = MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_TASKLISTS;
    parser.enter_block = ignoreBlock;
    parser.leave_block = ignoreBlock;
    parser.enter_span = ignoreSpan;
    parser.leave_span = ignoreSpan;
    parser.text = ignoreText;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            md_parse(text.data(), static_cast<MD_SIZE>(text.size()), &parser, nullptr));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// 80,000 lines of "a: 1,", after `opener`.
std::string argumentLines(const char* opener) {
    std::string text = opener;
    for (int i = 0; i < 80000; ++i)
        text += "a: 1,\n";
    return text + ")";
}

void parseInDirectiveRoute(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        auto document = pindrake::markdown::parseDocument(text, ParseOptions::parseBlockDirectives);
        benchmark::DoNotOptimize(document.raw().subtreeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void LongDirectiveArguments(benchmark::State& state) {
    parseInDirectiveRoute(state, argumentLines("@d(\n"));
}

void FlatDirectiveRoute(benchmark::State& state) {
    parseInDirectiveRoute(state, argumentLines("dd(\n"));
}

void CorpusWithDirectives(benchmark::State& state) {
    std::string text;
    for (const char c : gfmCorpus()) {
        text += c;
        if (c == '\n' && text.ends_with("\n\n"))
            text += "@d\n";
    }
    parseInDirectiveRoute(state, text);
}

BENCHMARK(ParseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(CmarkParse)->Unit(benchmark::kMillisecond);
BENCHMARK(Md4cParse)->Unit(benchmark::kMillisecond);
BENCHMARK(LongDirectiveArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(FlatDirectiveRoute)->Unit(benchmark::kMillisecond);
BENCHMARK(CorpusWithDirectives)->Unit(benchmark::kMillisecond);

}  // namespace
