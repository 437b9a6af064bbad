#include <gtest/gtest.h>

#include <type_traits>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::span;
using testing::textNode;

std::vector<std::string> texts(const Markup& container) {
    std::vector<std::string> out;
    for (Markup child : container.children()) {
        auto text = child.as<Text>();
        out.push_back(text ? text->string() : std::string(caseName(child.kind())));
    }
    return out;
}

TEST(ContainerTest, RangeReplacementInsertsRemovesAndKeepsTheNodesOwnData) {
    auto parsed = Paragraph::wrap(node(payload::Paragraph{}, span(1, 1, 1, 4),
                                       {textNode("a"), textNode("b"), textNode("c")}));
    Paragraph paragraph = parsed;
    paragraph.replaceChildrenInRange(2, 2, std::vector<InlineMarkup>{Text("x")});
    EXPECT_EQ(texts(paragraph), (std::vector<std::string>{"a", "b", "x", "c"}));

    paragraph.replaceChildrenInRange(1, 3, std::vector<InlineMarkup>{SoftBreak()});
    EXPECT_EQ(texts(paragraph), (std::vector<std::string>{"a", "softBreak", "c"}));

    paragraph.setInlineChildren(std::vector<InlineMarkup>{});
    EXPECT_TRUE(paragraph.isEmpty());
    EXPECT_EQ(paragraph.range(), span(1, 1, 1, 4));
    EXPECT_EQ(texts(parsed), (std::vector<std::string>{"a", "b", "c"}));
    for (auto [from, to] : {std::pair{2, 4}, {-1, 0}, {2, 1}}) {
        EXPECT_DEATH(parsed.replaceChildrenInRange(from, to, std::vector<InlineMarkup>{}),
                     "outside the children");
    }

    OrderedList list{ListItem{}, ListItem{}};
    list.appendItem(ListItem(Checkbox::checked, {Paragraph{}}));
    EXPECT_EQ(list.child(2)->as<ListItem>()->checkbox(), Checkbox::checked);

    // A child is taken by node, whatever tree it stands in.
    Document source{Paragraph{Text("shared")}};
    BlockQuote quote{BlockMarkup(*source.child(0)->as<Paragraph>())};
    EXPECT_EQ(&quote.raw().child(0), &source.raw().child(0));
    EXPECT_EQ(quote.child(0)->identifier().rootId, quote.identifier().rootId);
}

TEST(ContainerTest, TypedViewsStopOnAChildOfAnotherKind) {
    Document document{Paragraph{}};
    Markup odd = document.withUncheckedChildren({Text("not a block")});
    Document broken = *odd.as<Document>();
    EXPECT_DEATH(
        {
            for (BlockMarkup block : broken.blockChildren())
                (void)block;
        },
        "a child of kind text is not a BlockMarkup");
}

TEST(ContainerTest, InheritedRangeSpansFirstToLastChild) {
    auto spanned = [](std::vector<RawMarkupPtr> children) {
        std::vector<InlineMarkup> elements;
        for (auto& child : children)
            elements.push_back(*Markup(MarkupData::makeRoot(child)).as<InlineMarkup>());
        return Paragraph(elements, true).range();
    };
    EXPECT_EQ(
        spanned({textNode("a", span(1, 1, 1, 2)), textNode("b"), textNode("c", span(2, 1, 2, 5))}),
        span(1, 1, 2, 5));
    EXPECT_FALSE(spanned({textNode("a", span(1, 1, 1, 2)), textNode("b")}));
    EXPECT_FALSE(spanned({textNode("a"), textNode("b", span(1, 1, 1, 2))}));
    EXPECT_FALSE(spanned({}));
    // Children out of source order: no range rather than a stop.
    EXPECT_FALSE(
        spanned({textNode("late", span(9, 1, 9, 5)), textNode("early", span(1, 1, 1, 6))}));

    Text parsed = Text::wrap(textNode("a", span(1, 1, 1, 2)));
    EXPECT_FALSE(Paragraph({parsed}, false).range());
    EXPECT_FALSE(Emphasis{parsed}.range());
    EXPECT_EQ(BlockQuote({Paragraph({parsed}, true)}, true).range(), span(1, 1, 1, 2));
    EXPECT_FALSE(DoxygenNote{Paragraph({parsed}, true)}.range());
}

// Braces around one element of the container's own type copy it under every compiler; one
// converted to the child type nests. Nothing converts to an element implicitly.
TEST(ContainerTest, BracesAroundOneElementOfTheSameTypeCopyIt) {
    Emphasis inner{Text("x")};
    Emphasis copied{inner};
    EXPECT_TRUE(copied.isIdentical(inner));
    Emphasis nested{InlineMarkup(inner)};
    EXPECT_EQ(nested.childCount(), 1);
    EXPECT_EQ(nested.child(0)->kind(), MarkupKind::emphasis);
    Emphasis twoDeep{inner, Text("y")};
    EXPECT_EQ(twoDeep.raw().subtreeCount(), 4);

    BlockQuote quote{Paragraph{}};
    EXPECT_TRUE(BlockQuote{quote}.isIdentical(quote));
    EXPECT_EQ(BlockQuote{BlockMarkup(quote)}.raw().subtreeCount(), 3);
    EXPECT_TRUE(Document{Document{}}.isEmpty());

    static_assert(!std::is_convertible_v<std::int64_t, Heading>);
    static_assert(!std::is_convertible_v<std::string, DoxygenParameter>);
    static_assert(!std::is_convertible_v<Text, Emphasis>);
    static_assert(!std::is_convertible_v<Paragraph, BlockQuote>);
    static_assert(std::is_convertible_v<Text, InlineMarkup>);
    // Links never nest in links.
    static_assert(ConvertibleElement<Strikethrough, RecurringInlineMarkup>);
    static_assert(!ConvertibleElement<Link, RecurringInlineMarkup>);
}

TEST(ContainerTest, PlainTextRules) {
    struct Case {
        const char* name;
        Markup element;
        std::string plainText;
    };
    const Case cases[] = {
        {"soft break", Paragraph{Text("a"), SoftBreak(), Text("b")}, "a b"},
        {"line break", Paragraph{Text("a"), LineBreak(), Text("b")}, "a\nb"},
        {"inline code with a backtick", Paragraph{InlineCode("a`b")}, "`a`b`"},
        {"no emphasis markers", Strong{Text("a"), Emphasis{Text("b")}}, "ab"},
        // A lone braced element of the container's own type would be a copy under clang.
        {"nested strikethrough", Strikethrough({Strikethrough{Text("x")}}, false), "~~x~~"},
        {"link text only", Link("https://x.org", {Text("site")}), "site"},
        {"image text through a link",
         Image("a.png", std::nullopt, {Emphasis{Link("x", {Text("d")})}}), "d"},
        {"inline HTML and custom", Paragraph{InlineHTML("<b>"), CustomInline("c")}, "<b>c"},
        {"symbol link", Paragraph{SymbolLink(std::string("Foo"))}, "``Foo``"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plainText(c.element.raw()), c.plainText) << c.name;
    // Children that are not inline elements contribute nothing.
    Markup mixed =
        Paragraph{}.withUncheckedChildren({Text("a"), Paragraph{Text("hidden")}, Text("b")});
    EXPECT_EQ(mixed.as<Paragraph>()->plainText(), "ab");
}

}  // namespace
}  // namespace pindrake::markdown
