#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::span;
using testing::textNode;

// The same child may appear twice; each appearance counts.
TEST(RawMarkupTest, SubtreeCountsEveryAppearance) {
    auto paragraph = node(payload::Paragraph{}, std::nullopt, {textNode("a"), textNode("b")});
    EXPECT_EQ(node(payload::Document{}, std::nullopt, {paragraph, paragraph})->subtreeCount(), 7);
}

TEST(RawMarkupTest, DataEquality) {
    struct Case {
        const char* name;
        RawMarkupData a;
        RawMarkupData b;
        bool equal;
    };
    const Case cases[] = {
        {"links without fields", payload::Link{}, payload::Link{}, true},
        {"text against inline code", payload::Text{"x"}, payload::InlineCode{"x"}, false},
        {"heading levels", payload::Heading{1}, payload::Heading{2}, false},
        {"absent against empty title", payload::Link{"d", std::nullopt}, payload::Link{"d", ""},
         false},
        {"alignments", payload::Table{{ColumnAlignment::left, std::nullopt}},
         payload::Table{{ColumnAlignment::left}}, false},
        {"checkbox", payload::ListItem{Checkbox::checked}, payload::ListItem{std::nullopt}, false},
        {"directive name locations",
         payload::BlockDirective{"Intro", SourceLocation{3, 2, {}}, DirectiveArgumentText("x")},
         payload::BlockDirective{"Intro", SourceLocation{4, 2, {}}, DirectiveArgumentText("x")},
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(node(c.a)->hasSameData(*node(c.b)), c.equal) << c.name;
        EXPECT_EQ(c.a == c.b, c.equal) << c.name;
    }
}

TEST(RawMarkupTest, StructureIgnoresRangesButNotDataOrShape) {
    auto parse = [](std::int64_t line, std::int64_t level) {
        return node(payload::Document{}, span(line, 1, line, 5),
                    {node(payload::Heading{level}, span(line, 1, line, 5),
                          {textNode("h", span(line, 3, line, 4))})});
    };
    EXPECT_TRUE(parse(1, 1)->hasSameStructure(*parse(7, 1)));
    EXPECT_FALSE(parse(1, 1)->hasSameStructure(*parse(1, 2)));

    // A difference in a later sibling is found.
    auto pair = [](const char* last) {
        return node(payload::Paragraph{}, std::nullopt, {textNode("same"), textNode(last)});
    };
    EXPECT_FALSE(pair("x")->hasSameStructure(*pair("y")));
}

// Misuse stops, or throws, with a message naming the fault. Path copying never hands over a
// bad index; if it ever did, the stop says so.
TEST(RawMarkupTest, MisuseNamesTheFault) {
    auto link = node(payload::Link{"https://x.org", std::nullopt}, std::nullopt, {textNode("a")});
    EXPECT_DEATH(link->payload<payload::Image>(), "Image markup wrapped unexpected link");
    for (std::int64_t index : {1, -1})
        EXPECT_DEATH(link->substitutingChild(textNode("x"), index, true),
                     "child index out of range");
    try {
        Heading::wrap(node(payload::Paragraph{}));
        ADD_FAILURE() << "wrapping a paragraph as a heading must throw";
    } catch (const RawMarkup::Error& error) {
        EXPECT_STREQ(error.what(), "Can't wrap a paragraph in a Heading");
    }
    EXPECT_EQ(describe(payload::CodeBlock{"x = 1", std::nullopt}),
              "codeBlock(\"x = 1\", language: none)");
    EXPECT_EQ(describe(payload::TableCell{1, 2}), "tableCell(colspan: 1, rowspan: 2)");
}

TEST(RawMarkupTest, FirstTreeIdentifierIsOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Runs in a fresh process, where nothing has drawn an identifier yet.
    EXPECT_EXIT(std::exit(cmarkup_increment_and_get_unique_id() == 1 &&
                                  cmarkup_increment_and_get_unique_id() == 2
                              ? 0
                              : 1),
                ::testing::ExitedWithCode(0), "");
}

TEST(RawMarkupTest, ConcurrentDrawsNeverRepeat) {
    constexpr int threads = 8;
    constexpr int draws = 20000;
    std::vector<std::uint64_t> drawn(threads * draws);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&drawn, t] {
            for (int i = 0; i < draws; ++i)
                drawn[t * draws + i] = cmarkup_increment_and_get_unique_id();
        });
    }
    for (auto& worker : workers)
        worker.join();
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(std::adjacent_find(drawn.begin(), drawn.end()), drawn.end());
    EXPECT_EQ(drawn.back() - drawn.front() + 1, drawn.size());
}

TEST(RawMarkupTest, NodesBuiltOutsideTheParserAreNeverFresh) {
    // Each holds its nodes' only references, as a parser's fresh nodes would.
    auto child = textNode("a", span(1, 1, 1, 2));
    auto parent = node(payload::Paragraph{}, span(1, 1, 1, 2), {child});
    child = nullptr;
    EXPECT_DEATH(FreshNodeRange::rewrite(*parent, std::nullopt), "fresh from the parser");
    EXPECT_DEATH(FreshNodeRange::rewrite(parent->child(0), std::nullopt), "fresh from the parser");

    const Document built{Paragraph{Text("a")}};
    EXPECT_DEATH(FreshNodeRange::rewrite(built.raw(), std::nullopt), "fresh from the parser");
    EXPECT_DEATH(FreshNodeRange::rewrite(built.raw().child(0).child(0), std::nullopt),
                 "fresh from the parser");
}

}  // namespace
}  // namespace pindrake::markdown
