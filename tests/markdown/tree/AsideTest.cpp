#include <gtest/gtest.h>

#include <functional>
#include <unordered_set>

#include "TreeFixtures.h"
#include "markdown/tree/Aside.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::span;
using testing::textNode;
using Requirement = Aside::TagRequirement;

// A parsed quote whose first paragraph starts with `text`, on line 1 from column 3.
BlockQuote quoteOf(const std::string& text) {
    auto end = static_cast<std::int64_t>(3 + text.size());
    auto paragraph = node(payload::Paragraph{}, span(1, 3, 1, end),
                          {textNode(text, span(1, 3, 1, end)), node(payload::SoftBreak{})});
    return BlockQuote::wrap(node(payload::BlockQuote{}, span(1, 1, 1, end), {paragraph}));
}

TEST(AsideTest, TagsAreRecognisedUnderEachRequirement) {
    struct Case {
        const char* text;
        Requirement requirement;
        std::optional<std::string> kind;  // none: no aside
        std::string rest;
    };
    const Case cases[] = {
        {"Warning:Tight.", Requirement::requireAnyLengthTag, "Warning", "Tight."},
        {"Note:", Requirement::requireSingleWordTag, "Note", ""},
        {"Note: a: b", Requirement::requireSingleWordTag, "Note", "a: b"},
        {"Note:\n next", Requirement::requireSingleWordTag, "Note", "\n next"},
        {"Custom tag: x", Requirement::requireSingleWordTag, std::nullopt, ""},
        {"Custom tag: x", Requirement::requireAnyLengthTag, "Custom tag", "x"},
        {"Custom\ttag: x", Requirement::requireSingleWordTag, "Custom\ttag", "x"},
        {"No colon here", Requirement::requireAnyLengthTag, std::nullopt, ""},
        {"No colon here", Requirement::tagNotRequired, "Note", "No colon here"},
        {": leading", Requirement::requireSingleWordTag, "", "leading"},
        {"note: lower", Requirement::tagNotRequired, "note", "lower"},
        // A colon joined with a combining mark is another character.
        {"Odd:\u0301 x", Requirement::requireAnyLengthTag, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        auto aside = Aside::from(quoteOf(c.text), c.requirement);
        ASSERT_EQ(aside.has_value(), c.kind.has_value()) << c.text;
        if (!aside)
            continue;
        EXPECT_EQ(aside->kind.rawValue(), *c.kind) << c.text;
        EXPECT_EQ(aside->content.at(0).child(0)->as<Text>()->string(), c.rest) << c.text;
        EXPECT_EQ(aside->content.at(0).childCount(), 2) << c.text;
    }
}

TEST(AsideTest, TextRangeMovesRightByTheRemovedBytes) {
    struct Case {
        const char* text;
        std::int64_t startColumn;
    };
    const Case cases[] = {
        {"\u00c9t\u00e9: x", 3 + 7},  // five bytes of tag, the colon and a blank
        {"Warning:\t\tx", 3 + 10},
    };
    for (const auto& c : cases) {
        auto aside = Aside::from(quoteOf(c.text), Requirement::requireAnyLengthTag);
        ASSERT_TRUE(aside) << c.text;
        auto range = aside->content.at(0).child(0)->range();
        ASSERT_TRUE(range) << c.text;
        EXPECT_EQ(range->start().column, c.startColumn) << c.text;
        EXPECT_EQ(range->end(), quoteOf(c.text).child(0)->child(0)->range()->end()) << c.text;
        EXPECT_EQ(aside->content.at(0).range(), quoteOf(c.text).child(0)->range()) << c.text;
    }
    // A range shorter than the tag moves no further than its end.
    auto paragraph = node(payload::Paragraph{}, std::nullopt,
                          {textNode("Warning: longer than its range", span(2, 1, 2, 4))});
    auto quote = BlockQuote::wrap(node(payload::BlockQuote{}, std::nullopt, {paragraph}));
    auto aside = Aside::from(quote, Requirement::requireSingleWordTag);
    ASSERT_TRUE(aside);
    EXPECT_EQ(aside->content.at(0).child(0)->range(), span(2, 4, 2, 4));
}

TEST(AsideTest, NoTagWithoutALeadingTextInALeadingParagraph) {
    auto emphasisFirst = BlockQuote{Paragraph{Emphasis{Text("Note")}, Text(": x")}};
    EXPECT_FALSE(Aside::from(emphasisFirst, Requirement::requireAnyLengthTag));
    Aside fallback(emphasisFirst);
    EXPECT_EQ(fallback.kind, Aside::Kind::note());
    EXPECT_EQ(&fallback.content.at(0).raw(), &emphasisFirst.raw().child(0));
    EXPECT_TRUE(Aside(BlockQuote{}).content.empty());
}

// A parsed document holding one parsed quote that starts with the given text.
Document documentQuoting(const std::string& text) {
    return Document::wrap(node(payload::Document{}, span(1, 1, 4, 9), {quoteOf(text).rawPtr()}));
}

// The rebuilt quote stands in a new tree in the old quote's place, keeping its own and its
// parent's ranges; the old quote and its tree stay as they were.
TEST(AsideTest, TheRebuiltQuoteTakesTheOldOnesPlaceAndRanges) {
    Document document = documentQuoting("Tip: x");
    BlockQuote quote = *document.child(0)->as<BlockQuote>();
    auto before = quote.identifier();
    Aside aside(quote);
    EXPECT_EQ(quote.identifier(), before);
    EXPECT_EQ(testing::elementAt<Text>(quote, {0, 0}).string(), "Tip: x");
    auto rebuiltQuote = aside.content.at(0).parent();
    ASSERT_TRUE(rebuiltQuote);
    EXPECT_EQ(rebuiltQuote->identifier().childId, before.childId);
    EXPECT_NE(rebuiltQuote->identifier().rootId, before.rootId);
    EXPECT_EQ(rebuiltQuote->range(), span(1, 1, 1, 9));
    EXPECT_EQ(rebuiltQuote->parent()->range(), span(1, 1, 4, 9));
}

// An edit of an element whose new parent is not built yet folds into the edit before it; the
// parent keeps its range only when both edits keep it.
TEST(AsideTest, StackedEditsKeepTheParentsRangeOnlyWhenBothDo) {
    auto plainEdit = [](BlockQuote quote) {
        quote.replaceChildrenInRange(1, 1, std::vector<BlockMarkup>{ThematicBreak()});
        return quote;
    };
    auto asideQuote = [](const BlockQuote& quote) {
        auto aside = Aside::from(quote, Requirement::requireSingleWordTag);
        EXPECT_TRUE(aside);
        return *aside->content.at(0).parent()->as<BlockQuote>();
    };
    struct Case {
        const char* name;
        std::function<BlockQuote(BlockQuote)> first;
        std::function<BlockQuote(BlockQuote)> second;
        bool parentKeepsRange;
    };
    const Case cases[] = {
        {"aside, then plain", asideQuote, plainEdit, false},
        {"plain, then aside", plainEdit, asideQuote, false},
        {"aside, then aside", asideQuote, asideQuote, true},
    };
    for (const auto& c : cases) {
        Document document = documentQuoting("Tip: Note: x");
        BlockQuote edited = c.second(c.first(*document.child(0)->as<BlockQuote>()));
        EXPECT_EQ(edited.parent()->range().has_value(), c.parentKeepsRange) << c.name;
        EXPECT_EQ(document.range(), span(1, 1, 4, 9)) << c.name;
    }
}

TEST(AsideTest, KindsAndDisplayNames) {
    const auto& all = Aside::Kind::allCases();
    std::unordered_set<Aside::Kind> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), 24u);
    EXPECT_TRUE(distinct.contains(Aside::Kind("ToDo")));
    EXPECT_FALSE(distinct.contains(Aside::Kind("todo")));
    EXPECT_EQ(Aside::Kind::todo().displayName(), "To Do");
    EXPECT_EQ(Aside::Kind::nonMutatingVariant().displayName(), "Non-Mutating Variant");
    EXPECT_EQ(Aside::Kind("ToDo ").displayName(), "ToDo ");
}

}  // namespace
}  // namespace pindrake::markdown
