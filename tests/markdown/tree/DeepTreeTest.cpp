#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <functional>

#include "TreeFixtures.h"

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
        Markup root = text.root();
        EXPECT_EQ(root.identifier().rootId, text.identifier().rootId);
        EXPECT_FALSE(root.hasSameStructure(document));
        EXPECT_TRUE(root.hasSameStructure(quoteChain("edited")));
        EXPECT_TRUE(document.hasSameStructure(quoteChain("deep")));

        // The old tree is whole: the same path still leads to the old text.
        const RawMarkup* node = &document.raw();
        while (node->childCount() > 0)
            node = &node->child(0);
        EXPECT_EQ(node->payload<payload::Text>().text, "deep");
    }
    // Building, walking down, editing, comparing and releasing are each linear in the depth.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST(DeepTreeTest, ChainOfTwoHundredThousandQuotesOnASmallStack) {
    runWithStack(256 * 1024, buildEditCompareAndDestroy);
}

TEST(DeepTreeTest, ChainOfTwoHundredThousandQuotesOnTheDefaultStack) {
    runWithStack(8 * 1024 * 1024, buildEditCompareAndDestroy);
}

TEST(DeepTreeTest, DeeplyNestedSpansAndWideTreesOnASmallStack) {
    runWithStack(256 * 1024, [] {
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
