#include <gtest/gtest.h>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::parsedDocument;

std::vector<Markup> collect(auto&& children) {
    std::vector<Markup> out;
    for (Markup child : children)
        out.push_back(std::move(child));
    return out;
}

TEST(MarkupIdentityTest, ChildIdentifiersAgreeAcrossForwardReverseAndIndexedAccess) {
    Document document = parsedDocument();
    // Pre-order numbers: document 0, paragraph 1, its texts 2 and 3, heading 4, its text 5.
    const std::vector<std::vector<std::int64_t>> expected = {{1, 4}, {2, 3}, {5}};
    std::vector<Markup> parents{document, *document.child(0), *document.child(1)};
    for (std::size_t p = 0; p < parents.size(); ++p) {
        auto ahead = collect(parents[p].children());
        auto behind = collect(parents[p].children().reversed());
        ASSERT_EQ(ahead.size(), expected[p].size());
        ASSERT_EQ(behind.size(), expected[p].size());
        for (std::size_t i = 0; i < ahead.size(); ++i) {
            const Markup& reversed = behind[behind.size() - 1 - i];
            auto indexed = parents[p].child(static_cast<std::int64_t>(i));
            ASSERT_TRUE(indexed);
            EXPECT_EQ(ahead[i].identifier().childId, expected[p][i]);
            EXPECT_TRUE(ahead[i].isIdentical(reversed));
            EXPECT_TRUE(ahead[i].isIdentical(*indexed));
            EXPECT_EQ(ahead[i].indexInParent(), static_cast<std::int64_t>(i));
            EXPECT_EQ(reversed.indexInParent(), static_cast<std::int64_t>(i));
            EXPECT_EQ(&ahead[i].raw(), &parents[p].raw().child(static_cast<std::int64_t>(i)));
            EXPECT_TRUE(ahead[i].parent()->isIdentical(parents[p]));
            EXPECT_TRUE(ahead[i].root().isIdentical(document));
        }
    }
}

TEST(MarkupIdentityTest, PathsReachOnlyChildrenOfTheKindsNamed) {
    Document document = parsedDocument();
    EXPECT_FALSE(document.child(-1));
    EXPECT_FALSE(document.child(2));
    Text leaf = testing::elementAt<Text>(document, {0, 0});
    EXPECT_FALSE(leaf.child(0));
    EXPECT_TRUE(collect(leaf.children().reversed()).empty());
    EXPECT_FALSE(document.childThrough({0, -1}));

    EXPECT_TRUE(document.childThrough(TypedChildIndexPath{})->isIdentical(document));
    auto second = document.childThrough(TypedChildIndexPath{{0, MarkupKind::paragraph}, {1, {}}});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->identifier().childId, 3);
    EXPECT_FALSE(document.childThrough(TypedChildIndexPath{{0, MarkupKind::heading}}));
}

TEST(MarkupIdentityTest, IdentityBelongsToATreeNotToANode) {
    Document document = parsedDocument();
    Document first = Document::wrap(document.rawPtr());
    EXPECT_FALSE(first.isIdentical(Document::wrap(document.rawPtr())));

    Markup heading = *document.child(1);
    Markup detached = heading.detachedFromParent();
    EXPECT_EQ(detached.identifier().childId, 0);
    EXPECT_NE(detached.identifier().rootId, document.identifier().rootId);
    EXPECT_EQ(&detached.raw(), &heading.raw());
    EXPECT_FALSE(detached.parent());
    EXPECT_EQ(detached.range(), heading.range());
    EXPECT_TRUE(document.detachedFromParent().isIdentical(document));

    // New children of any kind make a new tree; the data and range stay.
    Markup odd = heading.withUncheckedChildren({Document{}, ThematicBreak()});
    EXPECT_EQ(odd.as<Heading>()->level(), 2);
    EXPECT_EQ(odd.range(), heading.range());
    EXPECT_NE(odd.identifier().rootId, document.identifier().rootId);
    EXPECT_EQ(odd.child(0)->kind(), MarkupKind::document);
}

}  // namespace
}  // namespace pindrake::markdown
