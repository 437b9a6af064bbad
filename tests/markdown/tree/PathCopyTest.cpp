#include <gtest/gtest.h>

#include <thread>

#include "LiveHeapBytes.h"
#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::elementAt;
using testing::node;
using testing::span;
using testing::textNode;

// A parsed document of three blocks, the middle one a quote holding a paragraph:
//   paragraph "a" | blockQuote > paragraph > text "x" | heading "h"
Document threeBlocks() {
    auto first = node(payload::Paragraph{}, span(1, 1, 1, 2), {textNode("a", span(1, 1, 1, 2))});
    auto quoted =
        node(payload::BlockQuote{}, span(3, 1, 3, 4),
             {node(payload::Paragraph{}, span(3, 3, 3, 4), {textNode("x", span(3, 3, 3, 4))})});
    auto last = node(payload::Heading{1}, span(5, 1, 5, 4), {textNode("h", span(5, 3, 5, 4))});
    return Document::wrap(node(payload::Document{}, span(1, 1, 5, 4), {first, quoted, last}));
}

TEST(PathCopyTest, DeepEditGivesANewTreeSharingEverythingOffThePath) {
    Document document = threeBlocks();
    Text text = elementAt<Text>(document, {1, 0, 0});
    const MarkupMetadata before = text.metadata();

    text.setString("y");

    EXPECT_NE(text.identifier().rootId, before.id.rootId);
    EXPECT_EQ(text.identifier().childId, before.id.childId);
    EXPECT_EQ(text.indexInParent(), before.indexInParent);
    Markup root = text.root();
    EXPECT_EQ(root.raw().children()[0], document.raw().children()[0]);
    EXPECT_EQ(root.raw().children()[2], document.raw().children()[2]);
    EXPECT_TRUE(elementAt<Text>(root, {1, 0, 0}).isIdentical(text));
    EXPECT_EQ(elementAt<Text>(root, {1, 0, 0}).string(), "y");

    // The edited path carries no range (not the edited child's); untouched siblings keep theirs.
    EXPECT_FALSE(text.range());
    EXPECT_FALSE(root.range());
    EXPECT_FALSE(root.child(1)->range());
    EXPECT_FALSE(root.childThrough({1, 0})->range());
    EXPECT_EQ(root.child(0)->range(), span(1, 1, 1, 2));
    EXPECT_EQ(root.child(2)->range(), span(5, 1, 5, 4));

    // The old tree, and every value in it, is as it was.
    EXPECT_EQ(elementAt<Text>(document, {1, 0, 0}).string(), "x");
    EXPECT_EQ(document.range(), span(1, 1, 5, 4));
}

// A children edit keeps the element's own range; later elements are numbered after the new
// subtree.
TEST(PathCopyTest, AChildrenEditKeepsTheElementsRangeAndRenumbersWhatFollows) {
    Document document = threeBlocks();
    EXPECT_EQ(document.child(2)->identifier().childId, 6);
    Paragraph paragraph = elementAt<Paragraph>(document, {1, 0});
    paragraph.replaceChildrenInRange(1, 1, std::vector<InlineMarkup>{Text("b"), SoftBreak()});
    EXPECT_EQ(paragraph.range(), span(3, 3, 3, 4));
    EXPECT_FALSE(paragraph.parent()->range());
    Markup root = paragraph.root();
    EXPECT_FALSE(root.range());
    EXPECT_EQ(root.child(1)->identifier().childId, 3);
    EXPECT_EQ(root.child(2)->identifier().childId, 8);

    // Editing a root starts a new tree.
    Heading heading = Heading::wrap(node(payload::Heading{1}, span(1, 1, 1, 4)));
    Heading earlier = heading;
    heading.setLevel(3);
    EXPECT_NE(heading.identifier().rootId, earlier.identifier().rootId);
    EXPECT_EQ(heading.identifier().childId, 0);
    EXPECT_FALSE(heading.range());
    EXPECT_EQ(earlier.level(), 1);
    EXPECT_EQ(earlier.range(), span(1, 1, 1, 4));
}

TEST(PathCopyTest, EditsOfNewAncestorsAllReachTheRoot) {
    Document document = threeBlocks();
    Text text = elementAt<Text>(document, {1, 0, 0});
    // Edit the text, then its new parent, then that one's parent.
    text.setString("t");
    Paragraph paragraph = *text.parent()->as<Paragraph>();
    paragraph.replaceChildrenInRange(0, 0, std::vector<InlineMarkup>{Text("s")});
    BlockQuote quote = *paragraph.parent()->as<BlockQuote>();
    quote.setBlockChildren(std::vector<BlockMarkup>{paragraph, ThematicBreak()});
    Markup root = quote.root();
    EXPECT_EQ(root.childThrough({1, 0})->as<Paragraph>()->plainText(), "st");
    EXPECT_EQ(root.childThrough({1, 1})->kind(), MarkupKind::thematicBreak);
    EXPECT_EQ(root.raw().children()[0], document.raw().children()[0]);
    EXPECT_EQ(elementAt<Text>(document, {1, 0, 0}).string(), "x");
}

// A paragraph of many texts, alone in a document.
Document wideDocument(int texts) {
    std::vector<RawMarkupPtr> children;
    for (int i = 0; i < texts; ++i)
        children.push_back(textNode("t"));
    return Document::wrap(node(payload::Document{}, std::nullopt,
                               {node(payload::Paragraph{}, std::nullopt, std::move(children))}));
}

// Once the new ancestors are built, nothing of the versions before an edit stays alive.
TEST(PathCopyTest, BuiltAncestorsKeepNoEarlierVersionAlive) {
    constexpr int texts = 10'000;
    Text text = elementAt<Text>(wideDocument(texts), {0, texts / 2});
    text.setString("first");
    (void)text.root();
    const std::int64_t afterOneEdit = testing::liveHeapBytes();
    for (int i = 0; i < 100; ++i) {
        text.setString("edit");
        (void)text.root();
    }
    // Each kept version would hold a paragraph copy of 10,000 child references.
    EXPECT_LT(testing::liveHeapBytes() - afterOneEdit, 4096);

    Paragraph paragraph = elementAt<Paragraph>(wideDocument(texts), {0});
    const std::int64_t withTexts = testing::liveHeapBytes();
    paragraph.setInlineChildren(std::vector<InlineMarkup>{});
    EXPECT_EQ(paragraph.root().childThrough({0})->childCount(), 0);
    EXPECT_LT(testing::liveHeapBytes(), withTexts - texts * 32);
}

TEST(PathCopyTest, NewAncestorsAreBuiltOnceAndSharedAcrossThreads) {
    Text text = elementAt<Text>(threeBlocks(), {1, 0, 0});
    text.setString("z");
    // Half the threads build the pending ancestors while the other half edit their own copy,
    // which folds into the same pending parent unless it is built.
    std::vector<const RawMarkup*> roots(8);
    std::vector<std::string> edited(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        threads.emplace_back([copy = text, i, &roots, &edited]() mutable {
            if (i % 2 == 0) {
                roots[i] = &copy.root().raw();
            } else {
                copy.setString("edit " + std::to_string(i));
                edited[i] = elementAt<Text>(copy.root(), {1, 0, 0}).string();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (i % 2 == 0)
            EXPECT_EQ(roots[i], &text.root().raw());
        else
            EXPECT_EQ(edited[i], "edit " + std::to_string(i));
    }
    EXPECT_EQ(elementAt<Text>(text.root(), {1, 0, 0}).string(), "z");
}

}  // namespace
}  // namespace pindrake::markdown
