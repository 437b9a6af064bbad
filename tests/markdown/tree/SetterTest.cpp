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
    struct Case {
        const char* name;
        std::function<std::string()> setAndDescribe;
        std::string expected;
    };
    auto spans = [](const TableCell& cell) {
        return std::to_string(cell.colspan()) + "x" + std::to_string(cell.rowspan());
    };
    const Case cases[] = {
        {"colspan",
         [&] {
             TableCell cell(1, 2, {Text("c")});
             cell.setColspan(3);
             return spans(cell);
         },
         "3x2"},
        {"rowspan",
         [&] {
             TableCell cell(5, 1, {Text("c")});
             cell.setRowspan(4);
             return spans(cell);
         },
         "5x4"},
        {"parameter name",
         [] {
             DoxygenParameter parameter("old", {Paragraph{Text("d")}});
             parameter.setName("new");
             return parameter.name() + "/" + std::to_string(parameter.childCount());
         },
         "new/1"},
        {"checkbox",
         [] {
             ListItem item(Checkbox::checked, {Paragraph{}});
             item.setCheckbox(Checkbox::unchecked);
             return std::string(item.checkbox() == Checkbox::unchecked ? "unchecked" : "other");
         },
         "unchecked"},
        {"ordered list start", [] { return std::to_string(OrderedList{}.startIndex()); }, "1"},
        {"ordered list of one item start",
         [] { return std::to_string(OrderedList(ListItem{}).startIndex()); }, "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.setAndDescribe(), c.expected) << c.name;
}

TEST(SetterTest, HeadingLevelBelowOneIsRefusedButInitialisersStoreAnyLevel) {
    Heading heading(0, {Text("h")});
    EXPECT_EQ(heading.level(), 0);
    EXPECT_DEATH(heading.setLevel(0), "level must be at least 1");
}

TEST(SetterTest, InPlaceModificationWritesBackEvenWhenItThrows) {
    Text text("a");
    text.modifyString([](std::string& value) { value += "b"; });
    EXPECT_EQ(text.string(), "ab");
    auto identity = text.identifier();
    EXPECT_THROW(text.modifyString([](std::string& value) {
        value += "c";
        throw std::runtime_error("abandoned");
    }),
                 std::runtime_error);
    EXPECT_EQ(text.string(), "abc");
    EXPECT_NE(text.identifier(), identity);
}

TEST(SetterTest, SymbolLinkStoresAbsentAndEmptyDifferentlyByRoute) {
    SymbolLink built(std::nullopt);
    EXPECT_EQ(built.destination(), std::optional<std::string>(""));
    built.setDestination("");
    EXPECT_FALSE(built.destination());
    EXPECT_EQ(built.plainText(), "````");
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
}

TEST(SetterTest, DirectiveArgumentTextEmptiness) {
    EXPECT_TRUE(DirectiveArgumentText().isEmpty());
    EXPECT_TRUE(DirectiveArgumentText(" \t ").isEmpty());
    DirectiveArgumentText::LineSegment named{"@Intro(", 7, std::nullopt};
    EXPECT_FALSE(DirectiveArgumentText({named}).isEmpty());
    EXPECT_EQ(named.trimmedText(), "");
    DirectiveArgumentText::LineSegment broken{"ab", 3, std::nullopt};
    EXPECT_DEATH(broken.trimmedText(), "parse index lies past its text");
}

}  // namespace
}  // namespace pindrake::markdown
