#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>

#include "TreeFixtures.h"
#include "markdown/tree/MarkupRewriter.h"
#include "markdown/tree/MarkupWalker.h"
#include "support/Growth.h"

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

Document quoteChain(const std::string& innermost, int levels = depth) {
    Markup current = Paragraph{Text(innermost)};
    for (int i = 0; i < levels; ++i) {
        current = BlockQuote{*std::move(current).as<BlockMarkup>()};
    }
    return Document{*std::move(current).as<BlockMarkup>()};
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

// Building, walking, editing, comparing, rewriting and releasing are each linear in the depth.
void buildWalkEditAndRewrite(int levels) {
    {
        Document document = quoteChain("deep", levels);
        EXPECT_EQ(document.raw().subtreeCount(), levels + 3);
        QuoteMarker marker;
        document.accept(marker);
        EXPECT_EQ(marker.out, std::string(levels, '>') + "deep" + std::string(levels, '<'));

        Markup cursor = document;
        while (cursor.childCount() > 0)
            cursor = *cursor.child(0);
        Text text = *std::move(cursor).as<Text>();
        EXPECT_EQ(text.identifier().childId, levels + 2);
        text.setString("edited");
        // The comparisons find a difference at the deepest leaf, and the old tree is whole.
        Markup root = text.root();
        EXPECT_FALSE(root.hasSameStructure(document));
        EXPECT_TRUE(root.hasSameStructure(quoteChain("edited", levels)));
        EXPECT_TRUE(document.hasSameStructure(quoteChain("deep", levels)));

        class TextReplacer : public MarkupRewriter {
          public:
            std::optional<Markup> visitText(const Text&) override { return Text("edited"); }
        } replacer;
        auto replaced = document.accept(replacer);
        ASSERT_TRUE(replaced);
        EXPECT_TRUE(replaced->hasSameStructure(root));

        QuoteMarker thrower;
        EXPECT_THROW(quoteChain("throw", levels).accept(thrower), std::runtime_error);
    }
}

constexpr std::size_t smallStack = 256 * 1024;
constexpr std::size_t defaultStack = 8 * 1024 * 1024;

TEST(DeepTreeTest, ChainOfTwoHundredThousandQuotesOnSmallAndDefaultStacks) {
    runWithStack(smallStack, [] { buildWalkEditAndRewrite(depth); });
    // A chain 16 times deeper takes about 16 times as long; work that grows with the square of
    // the depth, 256 times.
    runWithStack(defaultStack, [] {
        const double grew = test_support::growth([] { buildWalkEditAndRewrite(depth / 16); },
                                                 [] { buildWalkEditAndRewrite(depth); }, 2);
        EXPECT_LT(grew, 16 * 4);
    });
}

// Where each text was visited: on the walking thread's own stack or not, by quote level.
class StackProbe : public MarkupWalker {
  public:
    std::vector<bool> levelLeftStack;
    std::vector<std::thread::id> threads;
    std::size_t texts = 0;

    StackProbe() {
        pthread_attr_t attributes;
        pthread_getattr_np(pthread_self(), &attributes);
        void* lowest = nullptr;
        std::size_t size = 0;
        pthread_attr_getstack(&attributes, &lowest, &size);
        pthread_attr_destroy(&attributes);
        low_ = reinterpret_cast<std::uintptr_t>(lowest);
        high_ = low_ + size;
    }
    void visitBlockQuote(const BlockQuote& quote) override {
        ++level_;
        descendInto(quote);
        --level_;
    }
    void visitText(const Text&) override {
        ++texts;
        auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        if (levelLeftStack.size() <= level_)
            levelLeftStack.resize(level_ + 1);
        if (here < low_ || here >= high_)
            levelLeftStack[level_] = true;
        if (threads.empty() || threads.back() != std::this_thread::get_id())
            threads.push_back(std::this_thread::get_id());
    }

  private:
    std::uintptr_t low_ = 0;
    std::uintptr_t high_ = 0;
    std::size_t level_ = 0;
};

// Nested quotes, each holding a paragraph of the given number of texts and then the next one.
Document widthsByLevel(const std::vector<int>& widths) {
    std::optional<BlockQuote> inner;
    for (auto width = widths.rbegin(); width != widths.rend(); ++width) {
        std::vector<BlockMarkup> blocks{Paragraph(
            std::vector<InlineMarkup>(static_cast<std::size_t>(*width), InlineMarkup(Text("w"))))};
        if (inner)
            blocks.emplace_back(*inner);
        inner.emplace(blocks);
    }
    return Document{*inner};
}

// The minor page faults of this thread while it walks: a stack mapped anew for each move to a
// fresh stack, instead of the one kept, faults in its pages every time.
long pageFaultsToWalk(const Document& document, StackProbe& probe) {
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    document.accept(probe);
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    return after.ru_minflt - before.ru_minflt;
}

TEST(DeepTreeTest, AWideNodeWhereTheStackRunsLowCostsNoMoreThanElsewhere) {
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the thread sanitizer makes a fiber for each move, far dearer than a move";
#endif
#endif
    // A default stack: on small ones the thread sanitizer's own frames outgrow the headroom.
    runWithStack(defaultStack, [] {
        // Find the level whose texts are the first to run off the thread's own stack.
        StackProbe probe;
        widthsByLevel(std::vector<int>(60'000, 1)).accept(probe);
        auto first = std::find(probe.levelLeftStack.begin(), probe.levelLeftStack.end(), true);
        ASSERT_NE(first, probe.levelLeftStack.end());
        const auto boundary = static_cast<std::size_t>(first - probe.levelLeftStack.begin());
        // Every visit stays on the walking thread, deep or not.
        EXPECT_EQ(probe.threads, std::vector<std::thread::id>{std::this_thread::get_id()});

        // Wide paragraphs around that level, against the same paragraphs near the root.
        constexpr int wide = 20'000;
        std::vector<int> deepWidths(boundary + 3, 1);
        std::vector<int> shallowWidths(deepWidths.size(), 1);
        for (std::size_t level = boundary - 2; level <= boundary + 2; ++level) {
            deepWidths[level - 1] = wide;
            shallowWidths[level - boundary + 2] = wide;
        }
        const Document deep = widthsByLevel(deepWidths);
        const Document shallow = widthsByLevel(shallowWidths);
        StackProbe deepProbe;
        const long deepFaults = pageFaultsToWalk(deep, deepProbe);
        StackProbe shallowProbe;
        const long shallowFaults = pageFaultsToWalk(shallow, shallowProbe);
        EXPECT_EQ(deepProbe.texts, shallowProbe.texts);
        // A fresh stack is mapped once; each later move to it is a context switch, no new pages.
        EXPECT_LT(deepFaults, shallowFaults + 1000) << deepFaults << " against " << shallowFaults;
    });
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

        // Stacked edits far from the root: a chain of pending ancestors is released too, and
        // the edits fold into one, so building the new ancestors does not recurse per edit.
        Markup cursor = outer;
        for (int i = 0; i < 1000; ++i)
            cursor = *cursor.child(0);
        Emphasis inner = *std::move(cursor).as<Emphasis>();
        for (int i = 0; i < depth / 2; ++i)
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
