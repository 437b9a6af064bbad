// Building, walking and editing a Markdown tree of about one million nodes.
//
// The tree: a document of 1,248 sections (block quotes) of 100 paragraphs, each paragraph
// "text *emphasis* text\nsoft [link](dest)" (8 nodes); the first section also holds a chain of
// 47 nested quotes ending in a paragraph, so its text stands at depth 50.
//
// The reference is cmark-gfm walking its own tree of the same text with its iterator, which is
// how its renderers visit nodes; the visitor walk reports its time as a ratio to that walk,
// measured in the same iterations.
#include <benchmark/benchmark.h>
#include <cmark-gfm.h>
#include <malloc.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "markdown/tree/MarkupRewriter.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {
namespace {

constexpr int sections = 1248;
constexpr int paragraphsPerSection = 100;
constexpr int nestedQuotes = 47;

RawMarkupPtr make(RawMarkupData data, std::vector<RawMarkupPtr> children = {}) {
    return RawMarkup::create(std::move(data), std::nullopt, std::move(children));
}

RawMarkupPtr containing(RawMarkupData data, RawMarkupPtr child) {
    std::vector<RawMarkupPtr> children;
    children.push_back(std::move(child));
    return make(std::move(data), std::move(children));
}

// Children are moved into place, as a parser's conversion does, so the figures show the cost
// of the tree rather than of reference counting in the benchmark itself.
RawMarkupPtr paragraph(int n) {
    std::vector<RawMarkupPtr> inlines;
    inlines.reserve(5);
    inlines.push_back(make(payload::Text{"Some text number " + std::to_string(n) + " with "}));
    inlines.push_back(containing(payload::Emphasis{}, make(payload::Text{"emphasis"})));
    inlines.push_back(make(payload::Text{" and more words"}));
    inlines.push_back(make(payload::SoftBreak{}));
    inlines.push_back(containing(payload::Link{"https://example.org/page", std::nullopt},
                                 make(payload::Text{"a link"})));
    return make(payload::Paragraph{}, std::move(inlines));
}

// Built as the parser builds: bottom-up through RawMarkup::create, then wrapped once.
Document buildDocument() {
    RawMarkupPtr deep = containing(payload::Paragraph{}, make(payload::Text{"deep"}));
    for (int level = 0; level < nestedQuotes; ++level) {
        std::vector<RawMarkupPtr> quoted;
        quoted.push_back(paragraph(level));
        quoted.push_back(std::move(deep));
        deep = make(payload::BlockQuote{}, std::move(quoted));
    }
    std::vector<RawMarkupPtr> blocks;
    blocks.reserve(sections);
    for (int s = 0; s < sections; ++s) {
        std::vector<RawMarkupPtr> section;
        section.reserve(paragraphsPerSection + 1);
        for (int p = 0; p < paragraphsPerSection; ++p)
            section.push_back(paragraph(p));
        if (s == 0)
            section.push_back(std::move(deep));
        blocks.push_back(make(payload::BlockQuote{}, std::move(section)));
    }
    return Document::wrap(make(payload::Document{}, std::move(blocks)));
}

// Built by hand through the element initialisers: each makes a tree of its own first.
Document buildDocumentFromElements() {
    std::vector<BlockMarkup> blocks;
    blocks.reserve(sections);
    for (int s = 0; s < sections; ++s) {
        std::vector<BlockMarkup> section;
        section.reserve(paragraphsPerSection);
        for (int p = 0; p < paragraphsPerSection; ++p) {
            section.push_back(Paragraph{Text("Some text number " + std::to_string(p) + " with "),
                                        Emphasis{Text("emphasis")}, Text(" and more words"),
                                        SoftBreak(),
                                        Link("https://example.org/page", {Text("a link")})});
        }
        blocks.push_back(BlockQuote(section));
    }
    return Document(blocks);
}

Text deepText(const Document& document) {
    Markup cursor = *document.child(0);
    cursor = *cursor.child(paragraphsPerSection);
    while (cursor.childCount() > 0)
        cursor = *cursor.child(cursor.childCount() - 1);
    return *std::move(cursor).as<Text>();
}

void BM_BuildMillionNodes(benchmark::State& state) {
    for (auto _ : state) {
        Document document = buildDocument();
        benchmark::DoNotOptimize(document.raw().subtreeCount());
        state.PauseTiming();
        { Document released = std::move(document); }
        state.ResumeTiming();
    }
    state.counters["nodes"] = static_cast<double>(buildDocument().raw().subtreeCount());
}
BENCHMARK(BM_BuildMillionNodes)->Unit(benchmark::kMillisecond);

void BM_BuildMillionNodesFromElements(benchmark::State& state) {
    for (auto _ : state) {
        Document document = buildDocumentFromElements();
        benchmark::DoNotOptimize(document.raw().subtreeCount());
        state.PauseTiming();
        { Document released = std::move(document); }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildMillionNodesFromElements)->Unit(benchmark::kMillisecond);

void BM_ReleaseMillionNodes(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Document document = buildDocument();
        state.ResumeTiming();
        { Document released = std::move(document); }
    }
}
BENCHMARK(BM_ReleaseMillionNodes)->Unit(benchmark::kMillisecond);

// The visitor walk a formatter does: every element handed to its typed visit operation.
class TextMeasurer : public MarkupWalker {
  public:
    std::size_t nodes = 0;
    std::size_t bytes = 0;
    void defaultVisit(const Markup& markup) override {
        ++nodes;
        descendInto(markup);
    }
    void visitText(const Text& text) override {
        ++nodes;
        bytes += text.string().size();
    }
};

// The same sections as Markdown text, without the nested chain (some 400 nodes).
std::string sectionsAsMarkdown() {
    std::string text;
    for (int s = 0; s < sections; ++s) {
        for (int p = 0; p < paragraphsPerSection; ++p) {
            text += "> Some text number " + std::to_string(p) + " with *emphasis* and more words\n";
            text += "> [a link](https://example.org/page)\n>\n";
        }
        text += "\n";
    }
    return text;
}

struct CmarkWalk {
    std::size_t nodes = 0;
    std::size_t bytes = 0;
};

CmarkWalk walkWithCmarkIterator(cmark_node* root) {
    CmarkWalk walk;
    cmark_iter* iterator = cmark_iter_new(root);
    cmark_event_type event;
    while ((event = cmark_iter_next(iterator)) != CMARK_EVENT_DONE) {
        if (event != CMARK_EVENT_ENTER)
            continue;
        ++walk.nodes;
        cmark_node* node = cmark_iter_get_node(iterator);
        if (cmark_node_get_type(node) == CMARK_NODE_TEXT)
            walk.bytes += std::strlen(cmark_node_get_literal(node));
    }
    cmark_iter_free(iterator);
    return walk;
}

double secondsOf(const std::function<void()>& work) {
    auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void BM_WalkMillionNodesWithVisitor(benchmark::State& state) {
    Document document = buildDocument();
    const std::string markdown = sectionsAsMarkdown();
    cmark_node* reference = cmark_parse_document(markdown.data(), markdown.size(), 0);
    double visitorSeconds = 0;
    double cmarkSeconds = 0;
    std::size_t cmarkNodes = 0;
    for (auto _ : state) {
        TextMeasurer walker;
        visitorSeconds += secondsOf([&] { document.accept(walker); });
        benchmark::DoNotOptimize(walker.bytes);
        if (walker.nodes != static_cast<std::size_t>(document.raw().subtreeCount())) {
            state.SkipWithError("walk missed nodes");
        }
        CmarkWalk walk;
        cmarkSeconds += secondsOf([&] { walk = walkWithCmarkIterator(reference); });
        benchmark::DoNotOptimize(walk.bytes);
        cmarkNodes = walk.nodes;
    }
    cmark_node_free(reference);
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["ns/node"] =
        visitorSeconds * 1e9 / iterations / static_cast<double>(document.raw().subtreeCount());
    state.counters["cmark_nodes"] = static_cast<double>(cmarkNodes);
    state.counters["cmark_ns/node"] =
        cmarkSeconds * 1e9 / iterations / static_cast<double>(cmarkNodes);
    state.counters["ratio_to_cmark_walk"] =
        (visitorSeconds / static_cast<double>(document.raw().subtreeCount())) /
        (cmarkSeconds / static_cast<double>(cmarkNodes));
}
BENCHMARK(BM_WalkMillionNodesWithVisitor)->Unit(benchmark::kMillisecond);

// What the soft-break rewriter of a conversion does: every element rebuilt, soft breaks
// replaced by a blank text. Releasing the result is timed apart.
class SoftBreakToBlank : public MarkupRewriter {
  public:
    std::optional<Markup> visitSoftBreak(const SoftBreak&) override { return Text(" "); }
};

void BM_RewriteMillionNodes(benchmark::State& state) {
    Document document = buildDocument();
    for (auto _ : state) {
        SoftBreakToBlank rewriter;
        std::optional<Markup> rewritten = document.accept(rewriter);
        benchmark::DoNotOptimize(rewritten->raw().subtreeCount());
        state.PauseTiming();
        rewritten.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RewriteMillionNodes)->Unit(benchmark::kMillisecond);

// The floor: a pre-order walk over the raw nodes with an explicit stack.
void BM_WalkMillionRawNodes(benchmark::State& state) {
    Document document = buildDocument();
    std::vector<const RawMarkup*> pending;
    for (auto _ : state) {
        std::size_t bytes = 0;
        pending.assign(1, &document.raw());
        while (!pending.empty()) {
            const RawMarkup* node = pending.back();
            pending.pop_back();
            if (node->kind() == MarkupKind::text)
                bytes += node->payload<payload::Text>().text.size();
            auto children = node->children();
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                pending.push_back(it->get());
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_WalkMillionRawNodes)->Unit(benchmark::kMillisecond);

// One edit at depth 50; the new ancestors are built when first asked for.
void BM_EditAtDepth50(benchmark::State& state) {
    Document document = buildDocument();
    const Text deep = deepText(document);
    if (deep.root().raw().subtreeCount() != document.raw().subtreeCount()) {
        state.SkipWithError("unexpected tree");
    }
    for (auto _ : state) {
        Text edited = deep;
        edited.setString("edited");
        benchmark::DoNotOptimize(edited.identifier());
    }
}
BENCHMARK(BM_EditAtDepth50)->Unit(benchmark::kMicrosecond);

// The same edit followed by taking the new document, which builds all 50 new ancestors.
void BM_EditAtDepth50AndTakeRoot(benchmark::State& state) {
    Document document = buildDocument();
    const Text deep = deepText(document);
    for (auto _ : state) {
        Text edited = deep;
        edited.setString("edited");
        Markup root = edited.root();
        benchmark::DoNotOptimize(&root.raw());
    }
}
BENCHMARK(BM_EditAtDepth50AndTakeRoot)->Unit(benchmark::kMicrosecond);

constexpr int wideChildren = 100'000;

Paragraph wideParagraph(int children) {
    std::vector<RawMarkupPtr> texts;
    texts.reserve(static_cast<std::size_t>(children));
    for (int i = 0; i < children; ++i)
        texts.push_back(make(payload::Text{"t"}));
    return Paragraph::wrap(make(payload::Paragraph{}, std::move(texts)));
}

// Reaching every child of a wide node by index, as a formatter's loop over table rows does,
// against iterating the same children; the ratio of the two is reported.
void BM_ChildAtOverAllChildren(benchmark::State& state) {
    const Paragraph paragraph = wideParagraph(wideChildren);
    double byIndexSeconds = 0;
    double iteratingSeconds = 0;
    for (auto _ : state) {
        std::int64_t sum = 0;
        byIndexSeconds += secondsOf([&] {
            for (std::int64_t i = 0; i < paragraph.childCount(); ++i)
                sum += paragraph.child(i)->identifier().childId;
        });
        std::int64_t iterated = 0;
        iteratingSeconds += secondsOf([&] {
            for (Markup child : paragraph.children())
                iterated += child.identifier().childId;
        });
        if (sum != iterated)
            state.SkipWithError("index and iteration disagree");
        benchmark::DoNotOptimize(sum);
    }
    state.counters["ratio_to_iterating"] = byIndexSeconds / iteratingSeconds;
}
BENCHMARK(BM_ChildAtOverAllChildren)->Unit(benchmark::kMillisecond);

std::size_t bytesInUse() {
    return mallinfo2().uordblks;
}

// Memory held after repeated edits of one text of a wide paragraph, each followed by taking the
// new document: only the current version may stay alive. Reported as a ratio to the memory of
// one copy of the tree.
void BM_MemoryAfterEditsWithRoot(benchmark::State& state) {
    constexpr int children = 10'000;
    constexpr int edits = 2'000;
    for (auto _ : state) {
        const std::size_t before = bytesInUse();
        std::optional<Document> document =
            Document::wrap(make(payload::Document{}, {wideParagraph(children).rawPtr()}));
        const std::size_t oneCopy = bytesInUse() - before;
        Text text = *document->childThrough({0, children / 2})->as<Text>();
        document.reset();
        for (int i = 0; i < edits; ++i) {
            text.setString("edit " + std::to_string(i));
            benchmark::DoNotOptimize(&text.root().raw());
        }
        const std::size_t held = bytesInUse() - before;
        state.counters["ratio_to_one_copy"] =
            static_cast<double>(held) / static_cast<double>(oneCopy);
        state.counters["one_copy_KB"] = static_cast<double>(oneCopy) / 1024;
    }
}
BENCHMARK(BM_MemoryAfterEditsWithRoot)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace pindrake::markdown

BENCHMARK_MAIN();
