#include <gtest/gtest.h>

#include "FormatterFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::expectFormats;
using testing::Options;
using testing::paragraph;

template <class Change>
Options changed(Change change) {
    Options options;
    change(options);
    return options;
}

Document code(std::optional<std::string> language, std::string text) {
    return Document{CodeBlock(std::move(language), std::move(text))};
}

Document inlineCode(std::string text) {
    return Document{Paragraph{InlineCode(std::move(text))}};
}

TEST(MarkupFormatterRulesTest, InlineElements) {
    const auto underline =
        changed([](Options& o) { o.emphasisMarker = Options::EmphasisMarker::underline; });
    const auto noCondense = changed([](Options& o) { o.condenseAutolinks = false; });
    expectFormats({
        {"emphasis, strong, strikethrough",
         Document{Paragraph{Emphasis{Text("a")}, Text(" "), Strong{Text("b")}, Text(" "),
                            Strikethrough{Text("c")}}},
         {},
         "*a* **b** ~c~"},
        {"underline marker", Document{Paragraph{Emphasis{Text("a")}, Strong{Text("b")}}}, underline,
         "_a___b__"},
        {"text is written as it stands", Document{paragraph("*a* # b")}, {}, "*a* # b"},
        {"hard break", Document{Paragraph{Text("a"), LineBreak(), Text("b")}}, {}, "a  \nb"},
        {"autolink condensed",
         Document{Paragraph{Link("https://x.org", {Text("https://x.org")})}},
         {},
         "<https://x.org>"},
        {"autolink kept in brackets",
         Document{Paragraph{Link("https://x.org", {Text("https://x.org")})}}, noCondense,
         "[https://x.org](https://x.org)"},
        {"a destination that is no URI is not condensed",
         Document{Paragraph{Link("a", {Text("a")})}},
         {},
         "[a](a)"},
        {"link title never written",
         Document{Paragraph{Link(std::string("u"), std::string("t"), {Text("a")})}},
         {},
         "[a](u)"},
        {"image title written",
         Document{Paragraph{Image("s", "t", {Text("a")})}},
         {},
         "![a](s \"t\")"},
        {"image without source",
         Document{Paragraph{Image(std::nullopt, std::nullopt, {})}},
         {},
         "![]()"},
        {"inline HTML", Document{Paragraph{InlineHTML("<b>")}}, {}, "<b>"},
        {"symbol link", Document{Paragraph{SymbolLink("x")}}, {}, "``x``"},
        {"inline attributes",
         Document{Paragraph{InlineAttributes("class: 'a'", {Text("t")})}},
         {},
         "^[t](class: 'a')"},
        {"inline code", inlineCode("a b"), {}, "`a b`"},
        {"inline code holding a backtick", inlineCode("a`b"), {}, "``a`b``"},
        {"inline code holding a run of two", inlineCode("a``b`"), {}, "``` a``b` ```"},
        {"inline code starting with a backtick", inlineCode("`a"), {}, "`` `a ``"},
        {"inline code with a space at both ends", inlineCode(" a "), {}, "`  a  `"},
        {"inline code of spaces only", inlineCode("  "), {}, "`  `"},
    });
}

TEST(MarkupFormatterRulesTest, CodeBlocks) {
    const auto whenLanguage = changed(
        [](Options& o) { o.useCodeFence = Options::UseCodeFence::onlyWhenLanguageIsPresent; });
    const auto never = changed([](Options& o) { o.useCodeFence = Options::UseCodeFence::never; });
    const auto defaultLanguage = changed([](Options& o) { o.defaultCodeBlockLanguage = "sh"; });
    expectFormats({
        {"fenced", code(std::nullopt, "x\n"), {}, "```\nx\n```"},
        {"language after the fence", code("swift", "x\n"), {}, "```swift\nx\n```"},
        {"default language", code(std::nullopt, "x\n"), defaultLanguage, "```sh\nx\n```"},
        {"indented without a language", code(std::nullopt, "x\n y\n"), whenLanguage,
         "    x\n     y"},
        {"fenced with a language", code("c", "x\n"), whenLanguage, "```c\nx\n```"},
        {"never fenced drops the language", code("c", "x\n"), never, "    x"},
        {"outer empty lines dropped, inner kept",
         code(std::nullopt, "\n\nx\n\ny\n\n"),
         {},
         "```\nx\n\ny\n```"},
        {"empty code", code(std::nullopt, ""), {}, "```\n\n```"},
        {"fence longer than a fence inside",
         code(std::nullopt, "a\n```\nb\n"),
         {},
         "````\na\n```\nb\n````"},
        {"fence longer than an indented run",
         code(std::nullopt, "  `````x\n"),
         {},
         "``````\n  `````x\n``````"},
        {"tilde fence for an info string with a backtick",
         code("a`b", "~~~~\n"),
         {},
         "~~~~~a`b\n~~~~\n~~~~~"},
        {"backticks inside a line do not count",
         code(std::nullopt, "a ````\n"),
         {},
         "```\na ````\n```"},
        {"code block in a list item",
         Document{UnorderedList{ListItem{paragraph("a"), CodeBlock(std::nullopt, "x\ny")}}},
         {},
         "- a\n  \n  ```\n  x\n  y\n  ```"},
    });
}

TEST(MarkupFormatterRulesTest, Headings) {
    const auto setext = changed(
        [](Options& o) { o.preferredHeadingStyle = Options::PreferredHeadingStyle::setext; });
    const auto broken = [](std::int64_t level) {
        return Document{Heading(level, {Text("a"), SoftBreak(), Text("bc")})};
    };
    expectFormats({
        {"atx", Document{Heading(3, {Text("x")})}, {}, "### x"},
        {"setext level 1", Document{Heading(1, {Text("Title")})}, setext, "Title\n====="},
        {"setext level 2 after a paragraph", Document{paragraph("p"), Heading(2, {Text("T")})},
         setext, "p\n\nT\n-"},
        {"setext underline counts the prefix", Document{BlockQuote{Heading(1, {Text("Title")})}},
         setext, "> Title\n> ======="},
        {"setext only for levels 1 and 2", Document{Heading(3, {Text("x")})}, setext, "### x"},
        {"a break makes level 1 underlined", broken(1), {}, "a\nbc\n=="},
        {"a break makes level 2 underlined", broken(2), {}, "a\nbc\n--"},
        {"a break in level 3 is a space", broken(3), {}, "### a bc"},
        {"a hard break in level 4 is a space",
         Document{Heading(4, {Text("a"), LineBreak(), Text("b")})},
         {},
         "#### a b"},
        {"an empty heading is never underlined", Document{paragraph("p"), Heading(1, {})}, setext,
         "p\n\n# "},
    });
}

TEST(MarkupFormatterRulesTest, BlocksAndLists) {
    const auto plusMarker =
        changed([](Options& o) { o.unorderedListMarker = Options::UnorderedListMarker::plus; });
    const auto fromThree = changed(
        [](Options& o) { o.orderedListNumerals = Options::OrderedListNumerals::incrementing(3); });
    const auto stars = changed([](Options& o) {
        o.thematicBreakCharacter = Options::ThematicBreakCharacter::star;
        o.thematicBreakLength = 3;
    });
    const auto at =
        changed([](Options& o) { o.doxygenCommandPrefix = Options::DoxygenCommandPrefix::at; });
    expectFormats({
        {"thematic break", Document{paragraph("a"), ThematicBreak()}, {}, "a\n\n-----"},
        {"empty quotes keep their markers",
         Document{BlockQuote{}, UnorderedList{ListItem{paragraph("a"), BlockQuote{}}}},
         {},
         "> \n\n- a\n\n  > "},
        {"thematic break options", Document{ThematicBreak()}, stars, "***"},
        {"unordered items",
         Document{UnorderedList{ListItem{paragraph("a")}, ListItem{paragraph("b")}}}, plusMarker,
         "+ a\n+ b"},
        {"ordered items all numbered 1",
         [] {
             OrderedList list{ListItem{paragraph("a")}, ListItem{paragraph("b")}};
             list.setStartIndex(5);
             return Document{list};
         }(),
         {},
         "1. a\n1. b"},
        {"incrementing from 3",
         Document{OrderedList{ListItem{paragraph("a")}, ListItem{paragraph("b")},
                              ListItem{paragraph("c")}}},
         fromThree, "3. a\n4. b\n5. c"},
        {"task items",
         Document{UnorderedList{ListItem(Checkbox::checked, {paragraph("a")}),
                                ListItem(Checkbox::unchecked, {paragraph("b")})}},
         {},
         "- [x] a\n- [ ] b"},
        {"directive without arguments or children",
         Document{BlockDirective("Name", std::nullopt)},
         {},
         "@Name"},
        {"directive with arguments and children",
         Document{BlockDirective("Name", "a: 1\nb: 2", {paragraph("x")})},
         {},
         "@Name(a: 1\nb: 2) {\n    x\n}"},
        {"doxygen parameter", Document{DoxygenParameter("x", {paragraph("a")})}, {}, "\\param x a"},
        {"doxygen note with @", Document{DoxygenNote{paragraph("a")}}, at, "@note a"},
    });
}

TEST(MarkupFormatterRulesDeathTest, SetextNeedsALevelOfOneOrMore) {
    Options setext;
    setext.preferredHeadingStyle = Options::PreferredHeadingStyle::setext;
    EXPECT_DEATH(format(Document{Heading(0, {Text("x")})}, setext),
                 "Unexpected heading level 0 while formatting for setext-style heading");
}

}  // namespace
}  // namespace pindrake::markdown
