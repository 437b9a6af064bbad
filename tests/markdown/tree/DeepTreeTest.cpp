#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "TreeFixtures.h"
#include "markdown/tree/MarkupRewriter.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {
namespace {

// Clipboard text of 200,000 ">" characters parses into a quote chain this deep.
constexpr int depth = 200'000;

// Runs the work on a thread with the given stack size and waits for it.
void runWithStack(std::size_t stackBytes, const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, stackBytes), 0);
    pthread_t thread;
    auto trampoline = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(
        pthread_create(&thread, &attributes, trampoline, const_cast<std::function<void()>*>(&work)),
        0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

Document quoteChain(const std::string& innermost) {
    Markup current = Paragraph{Text(innermost)};
    for (int i = 0; i < depth; ++i) {
        current = BlockQuote{*std::move(current).as<BlockMarkup>()};
    }
    return Document{*std::move(current).as<BlockMarkup>()};
}

void buildEditCompareAndDestroy() {
    auto started = std::chrono::steady_clock::now();
    {
        Document document = quoteChain("deep");
        EXPECT_EQ(document.raw().subtreeCount(), depth + 3);

        Markup cursor = document;
        while (cursor.childCount() > 0)
            cursor = *cursor.child(0);
        Text text = *std::move(cursor).as<Text>();
        EXPECT_EQ(text.identifier().childId, depth + 2);

        text.setString("edited");
        // The comparisons find a difference at the deepest leaf, and the old tree is whole.
        Markup root = text.root();
        EXPECT_FALSE(root.hasSameStructure(document));
        EXPECT_TRUE(root.hasSameStructure(quoteChain("edited")));
        EXPECT_TRUE(document.hasSameStructure(quoteChain("deep")));
    }
    // Building, walking down, editing, comparing and releasing are each linear in the depth.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

constexpr std::size_t smallStack = 256 * 1024;
constexpr std::size_t defaultStack = 8 * 1024 * 1024;

TEST(DeepTreeTest, ChainOfTwoHundredThousandQuotesOnSmallAndDefaultStacks) {
    for (std::size_t stack : {smallStack, defaultStack})
        runWithStack(stack, buildEditCompareAndDestroy);
}

// A formatter's shape: work before and after descending, so the order of effects shows
// whether every level really ran nested inside its parent.
class QuoteMarker : public MarkupWalker {
  public:
    std::string out;
    void visitBlockQuote(const BlockQuote& quote) override {
        out += '>';
        descendInto(quote);
        out += '<';
    }
    void visitText(const Text& text) override {
        if (text.string() == "throw")
            throw std::runtime_error("from the deepest level");
        out += text.string();
    }
};

void walkAndRewriteTheChain() {
    Document document = quoteChain("deep");

    QuoteMarker marker;
    document.accept(marker);
    EXPECT_EQ(marker.out, std::string(depth, '>') + "deep" + std::string(depth, '<'));

    class TextReplacer : public MarkupRewriter {
      public:
        std::optional<Markup> visitText(const Text&) override { return Text("edited"); }
    } replacer;
    auto replaced = document.accept(replacer);
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(replaced->hasSameStructure(quoteChain("edited")));

    QuoteMarker thrower;
    EXPECT_THROW(quoteChain("throw").accept(thrower), std::runtime_error);
}

TEST(DeepTreeTest, VisitorsWalkAndRewriteTheChainOnSmallAndDefaultStacks) {
    for (std::size_t stack : {smallStack, defaultStack})
        runWithStack(stack, walkAndRewriteTheChain);
}

TEST(DeepTreeTest, ShallowVisitsStayOnTheCallersThread) {
    class ThreadRecorder : public MarkupWalker {
      public:
        std::vector<std::thread::id> seen;
        void visitText(const Text&) override { seen.push_back(std::this_thread::get_id()); }
    } recorder;
    Document{BlockQuote{Paragraph{Text("a")}}, Paragraph{Emphasis{Text("b")}}}.accept(recorder);
    EXPECT_EQ(recorder.seen, std::vector<std::thread::id>(2, std::this_thread::get_id()));
}

TEST(DeepTreeTest, DeeplyNestedSpansAndWideTreesOnASmallStack) {
    runWithStack(smallStack, [] {
        Markup span = Text("x");
        for (int i = 0; i < depth; ++i) {
            span = Emphasis{*std::move(span).as<InlineMarkup>()};
        }
        EXPECT_EQ(plainText(span.raw()), "x");
        Strikethrough outer{*std::move(span).as<InlineMarkup>()};
        EXPECT_EQ(outer.plainText(), "~x~");

        // Stacked edits far from the root: a chain of pending ancestors is released too.
        Markup cursor = outer;
        for (int i = 0; i < 1000; ++i)
            cursor = *cursor.child(0);
        Emphasis inner = *std::move(cursor).as<Emphasis>();
        for (int i = 0; i < 1000; ++i)
            inner.setInlineChildren(std::vector<InlineMarkup>{});
        // The strikethrough, 999 emphases above the edited one, and that one, now empty.
        EXPECT_EQ(inner.root().raw().subtreeCount(), 1001);

        std::vector<InlineMarkup> wide(depth, InlineMarkup(Text("w")));
        Paragraph paragraph(wide);
        EXPECT_EQ(paragraph.plainText().size(), static_cast<std::size_t>(depth));
    });
}

}  // namespace
}  // namespace pindrake::markdown
