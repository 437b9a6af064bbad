#include <gtest/gtest.h>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

TEST(LinkImageTest, EmptyTextsAreStoredAsAbsent) {
    Link link(std::string(""), std::string(""), {Text("x")});
    EXPECT_FALSE(link.destination());
    EXPECT_FALSE(link.title());
    link.setTitle("");
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
        {"decomposed text", Link(destination, {Text(decomposed)}), true},
        {"other text", Link(destination, {Text("site")}), false},
        {"two texts", Link(destination, {Text("https://ex.org/"), Text("caf\u00e9")}), false},
        {"the destination and more", Link(destination, {Text(destination), Text(" (ex)")}), false},
        {"text in emphasis", Link(destination, {Emphasis{Text(destination)}}), false},
        {"no destination", Link(std::nullopt, std::nullopt, {Text("")}), false},
        // Invalid UTF-8 compares byte for byte.
        {"same invalid bytes", Link("a\xff", {Text("a\xff")}), true},
        {"other invalid bytes", Link("a\xff", {Text("a\xfe")}), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.link.isAutolink(), c.autolink) << c.name;
    }
}

TEST(LinkImageTest, ChildrenOfLinksAreRecurringInlines) {
    static_assert(ConvertibleElement<Strikethrough, RecurringInlineMarkup>);
    static_assert(!ConvertibleElement<Link, RecurringInlineMarkup>);
    Image image("a.png", std::nullopt, {Emphasis{Link("x", {Text("deep")})}});
    EXPECT_EQ(image.plainText(), "deep");
}

}  // namespace
}  // namespace pindrake::markdown
