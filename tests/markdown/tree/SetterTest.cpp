#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::span;

struct SetterCase {
    const char* name;
    RawMarkupData parsed;  // the element as parsed, with a range
    std::function<Markup(Markup)> setUnchanged;
    bool keepsIdentity;
};

template <class E, class F>
std::function<Markup(Markup)> on(F set) {
    return [set](Markup markup) -> Markup {
        E element = *std::move(markup).as<E>();
        set(element);
        return element;
    };
}

// Sets the element's own current value again.
#define SET_SAME(E, set, get) on<E>([](E& e) { e.set(e.get()); })

// Which setters return early, untouched, for the value the element already has; every other
// setter makes a new tree and drops the range even then.
TEST(SetterTest, WhichSettersKeepIdentityForAnUnchangedValue) {
    const std::string composed = "caf\u00e9.png";
    const std::string decomposed = "cafe\u0301.png";
    const SetterCase cases[] = {
        {"Heading.level", payload::Heading{2}, SET_SAME(Heading, setLevel, level), true},
        {"OrderedList.startIndex", payload::OrderedList{4},
         SET_SAME(OrderedList, setStartIndex, startIndex), true},
        {"Image.source", payload::Image{"a.png", std::nullopt}, SET_SAME(Image, setSource, source),
         true},
        {"Image.title absent", payload::Image{"a.png", std::nullopt},
         on<Image>([](Image& e) { e.setTitle(std::nullopt); }), true},
        {"Image.source canonically equal", payload::Image{composed, std::nullopt},
         on<Image>([&](Image& e) { e.setSource(decomposed); }), true},
        {"Image.title empty over absent", payload::Image{"a.png", std::nullopt},
         on<Image>([](Image& e) { e.setTitle(""); }), false},
        {"Link.destination", payload::Link{"https://x.org", std::nullopt},
         SET_SAME(Link, setDestination, destination), false},
        {"Text.string", payload::Text{"a"}, SET_SAME(Text, setString, string), false},
        {"CodeBlock.language", payload::CodeBlock{"x", "c"},
         SET_SAME(CodeBlock, setLanguage, language), false},
        {"SymbolLink.destination", payload::SymbolLink{"foo"},
         SET_SAME(SymbolLink, setDestination, destination), false},
        {"BlockDirective.name",
         payload::BlockDirective{"Intro", SourceLocation{1, 2, {}}, DirectiveArgumentText("x")},
         SET_SAME(BlockDirective, setName, name), false},
        {"ListItem.checkbox", payload::ListItem{Checkbox::checked},
         SET_SAME(ListItem, setCheckbox, checkbox), false},
        {"DoxygenParameter.name", payload::DoxygenParam{"p"},
         SET_SAME(DoxygenParameter, setName, name), false},
        {"Table::Cell.colspan", payload::TableCell{2, 3}, SET_SAME(TableCell, setColspan, colspan),
         false},
    };
#undef SET_SAME
    for (const auto& c : cases) {
        // Placed below a parent, as the formatters meet elements.
        auto parent = Document::wrap(
            node(payload::Document{}, span(1, 1, 9, 9), {node(c.parsed, span(2, 1, 2, 8))}));
        Markup element = *parent.child(0);
        Markup result = c.setUnchanged(element);
        EXPECT_EQ(result.isIdentical(element), c.keepsIdentity) << c.name;
        EXPECT_EQ(result.range().has_value(), c.keepsIdentity) << c.name;
        EXPECT_EQ(result.parent()->range().has_value(), c.keepsIdentity) << c.name;
        EXPECT_EQ(result.kind(), element.kind()) << c.name;
        EXPECT_TRUE(element.range()) << c.name << ": the old value must keep its range";
    }
}

// Each setter stores the value it is given and leaves the element's other fields as they were.
TEST(SetterTest, SettersStoreTheirValueAndKeepTheOtherFields) {
    TableCell cell(1, 2, {Text("c")});
    cell.setColspan(3);
    EXPECT_EQ(cell.rowspan(), 2u);
    cell.setRowspan(4);
    EXPECT_EQ(cell.colspan(), 3u);
    EXPECT_EQ(cell.rowspan(), 4u);
    DoxygenParameter parameter("old", {Paragraph{Text("d")}});
    parameter.setName("new");
    EXPECT_EQ(parameter.name(), "new");
    EXPECT_EQ(parameter.childCount(), 1);
    ListItem item(Checkbox::checked, {Paragraph{}});
    item.setCheckbox(Checkbox::unchecked);
    EXPECT_EQ(item.checkbox(), Checkbox::unchecked);
    EXPECT_EQ(OrderedList{}.startIndex(), 1u);
    EXPECT_EQ(OrderedList(ListItem{}).startIndex(), 1u);

    // Initialisers store any heading level; the setter refuses one below 1.
    Heading heading(0, {Text("h")});
    EXPECT_EQ(heading.level(), 0);
    EXPECT_DEATH(heading.setLevel(0), "level must be at least 1");
}

TEST(SetterTest, InPlaceModificationWritesBackEvenWhenItThrows) {
    Text text("a");
    text.modifyString([](std::string& value) { value += "b"; });
    auto identity = text.identifier();
    EXPECT_THROW(text.modifyString([](std::string& value) {
        value += "c";
        throw std::runtime_error("abandoned");
    }),
                 std::runtime_error);
    EXPECT_EQ(text.string(), "abc");
    EXPECT_NE(text.identifier(), identity);
}

// Initialisers store empty texts as absent; setters store what they are given.
TEST(SetterTest, EmptyTextsAreStoredAsAbsentByRoute) {
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

    SymbolLink built(std::nullopt);
    EXPECT_EQ(built.destination(), std::optional<std::string>(""));
    built.setDestination("");
    EXPECT_FALSE(built.destination());
    EXPECT_EQ(built.plainText(), "````");
}

TEST(SetterTest, AutolinkNeedsOneTextReadingAsTheDestination) {
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
    for (const auto& c : cases)
        EXPECT_EQ(c.link.isAutolink(), c.autolink) << c.name;
}

TEST(SetterTest, BlockDirectiveNamesAndArguments) {
    BlockDirective built("Intro", std::nullopt, {Paragraph{Text("x")}});
    EXPECT_TRUE(built.argumentText().segments.empty());
    EXPECT_FALSE(built.nameRange());

    // Lines split at "\n" alone; a trailing newline leaves an empty last line.
    BlockDirective multiline("Intro", "x: 1\ny: 2\r\nz: 3\n");
    std::vector<std::string> lines;
    for (const auto& segment : multiline.argumentText().segments)
        lines.push_back(segment.untrimmedText);
    EXPECT_EQ(lines, (std::vector<std::string>{"x: 1", "y: 2\r\nz: 3", ""}));
    EXPECT_EQ(BlockDirective("a", "").argumentText().segments.size(), 1u);

    auto parsed =
        BlockDirective::wrap(node(payload::BlockDirective{"Int\u00e9ro", SourceLocation{3, 2, {}},
                                                          DirectiveArgumentText("x")},
                                  span(3, 1, 5, 2), {node(payload::Paragraph{})}));
    EXPECT_EQ(parsed.nameRange(), span(3, 2, 3, 9));
    parsed.setName("Intro");
    EXPECT_FALSE(parsed.nameLocation());
    EXPECT_EQ(parsed.childCount(), 1);
    EXPECT_EQ(parsed.argumentText(), DirectiveArgumentText("x"));

    EXPECT_TRUE(DirectiveArgumentText(" \t ").isEmpty());
    DirectiveArgumentText::LineSegment named{"@Intro(", 7, std::nullopt};
    EXPECT_FALSE(DirectiveArgumentText({named}).isEmpty());
    EXPECT_EQ(named.trimmedText(), "");
    DirectiveArgumentText::LineSegment broken{"ab", 3, std::nullopt};
    EXPECT_DEATH(broken.trimmedText(), "parse index lies past its text");
}

}  // namespace
}  // namespace pindrake::markdown
