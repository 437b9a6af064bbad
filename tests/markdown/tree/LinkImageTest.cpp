#include <gtest/gtest.h>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

TEST(LinkImageTest, EmptyTextsAreStoredAsAbsent) {
    Link link(std::string(""), std::string(""), {Text("x")});
    EXPECT_FALSE(link.destination());
    EXPECT_FALSE(link.title());
    EXPECT_FALSE(Link("", {Text("x")}).destination());

    link.setDestination("https://x.org");
    link.setTitle("");
    EXPECT_EQ(link.destination(), "https://x.org");
    EXPECT_FALSE(link.title());

    Image image(std::string(""), std::string(" "));
    EXPECT_FALSE(image.source());
    EXPECT_EQ(image.title(), " ");
    image.setTitle("");
    EXPECT_FALSE(image.title());
}

TEST(LinkImageTest, AutolinkNeedsOneTextReadingAsTheDestination) {
    const std::string destination = "https://ex.org/caf\u00e9";
    const std::string decomposed = "https://ex.org/cafe\u0301";
    struct Case {
        const char* name;
        Link link;
        bool autolink;
    };
    const Case cases[] = {
        {"one text", Link(destination, {Text(destination)}), true},
        {"with a title", Link(destination, std::string("t"), {Text(destination)}), true},
        {"decomposed text", Link(destination, {Text(decomposed)}), true},
        {"other text", Link(destination, {Text("site")}), false},
        {"two texts", Link(destination, {Text("https://ex.org/"), Text("caf\u00e9")}), false},
        {"text in emphasis", Link(destination, {Emphasis{Text(destination)}}), false},
        {"no children", Link(destination, {}), false},
        {"no destination", Link(std::nullopt, std::nullopt, {Text("")}), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.link.isAutolink(), c.autolink) << c.name;
    }
}

TEST(LinkImageTest, InvalidUtf8ComparesByteForByte) {
    std::string broken = "a\xff";
    EXPECT_TRUE(Link(broken, {Text(broken)}).isAutolink());
    EXPECT_FALSE(Link(broken, {Text("a\xfe")}).isAutolink());
}

TEST(LinkImageTest, ChildrenOfLinksAreRecurringInlines) {
    static_assert(ConvertibleElement<Strikethrough, RecurringInlineMarkup>);
    static_assert(!ConvertibleElement<Link, RecurringInlineMarkup>);
    static_assert(!ConvertibleElement<InlineAttributes, RecurringInlineMarkup>);
    static_assert(!ConvertibleElement<Table::Row, BlockMarkup>);
    Image image("a.png", std::nullopt, {Emphasis{Link("x", {Text("deep")})}});
    EXPECT_EQ(image.plainText(), "deep");
}

}  // namespace
}  // namespace pindrake::markdown
