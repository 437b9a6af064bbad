#include <gtest/gtest.h>

#include "FormatterFixtures.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

using testing::changed;
using testing::expectFormats;
using testing::Options;
using testing::paragraph;

Document code(std::optional<std::string> language, std::string text) {
    return Document{CodeBlock(std::move(language), std::move(text))};
}

Paragraph inlineCode(std::string text) {
    return Paragraph{InlineCode(std::move(text))};
}

TEST(MarkupFormatterRulesTest, InlineElements) {
    const auto underline =
        changed([](Options& o) { o.emphasisMarker = Options::EmphasisMarker::underline; });
    const auto noCondense = changed([](Options& o) { o.condenseAutolinks = false; });
    const Paragraph autolink{Link("https://x.org", {Text("https://x.org")})};
    expectFormats({
        {"emphasis, strong, strikethrough",
         Paragraph{Emphasis{Text("a")}, Text(" "), Strong{Text("b")}, Text(" "),
                   Strikethrough{Text("c")}},
         "*a* **b** ~c~"},
        {"underline marker", Paragraph{Emphasis{Text("a")}, Text(" "), Strong{Text("b")}},
         "_a_ __b__", underline},
        // "_a___b__" would read back as plain text.
        {"underline marker beside emphasis", Paragraph{Emphasis{Text("a")}, Strong{Text("b")}},
         "*a***b**", underline},
        {"text is written as it stands", paragraph("*a* # b"), "*a* # b"},
        {"hard break", Paragraph{Text("a"), LineBreak(), Text("b")}, "a  \nb"},
        // Spaces before a break of two spaces would be taken into it.
        {"hard break after a space", Paragraph{Text("a "), LineBreak(), Text("b")}, "a \\\nb"},
        {"hard break after a tab", Paragraph{Text("a\t"), LineBreak(), Text("b")}, "a\t\\\nb"},
        {"autolink condensed", autolink, "<https://x.org>"},
        {"autolink kept in brackets", autolink, "[https://x.org](https://x.org)", noCondense},
        {"a destination that is no URI is not condensed", Paragraph{Link("a", {Text("a")})},
         "[a](a)"},
        {"link title never written",
         Paragraph{Link(std::string("u"), std::string("t"), {Text("a")})}, "[a](u)"},
        {"image title written", Paragraph{Image("s", "t", {Text("a")})}, "![a](s \"t\")"},
        {"image without source", Paragraph{Image(std::nullopt, std::nullopt, {})}, "![]()"},
        {"inline HTML and symbol link", Paragraph{InlineHTML("<b>"), SymbolLink("x")}, "<b>``x``"},
        {"inline attributes", Paragraph{InlineAttributes("class: 'a'", {Text("t")})},
         "^[t](class: 'a')"},
        // The backtick run is longer than any inside; a space pads a backtick at either end.
        {"inline code", inlineCode("a b"), "`a b`"},
        {"inline code holding a backtick", inlineCode("a`b"), "``a`b``"},
        {"inline code holding a run of two", inlineCode("a``b`"), "``` a``b` ```"},
        {"inline code starting with a backtick", inlineCode("`a"), "`` `a ``"},
        {"inline code with a space at both ends", inlineCode(" a "), "`  a  `"},
        {"inline code of spaces only", inlineCode("  "), "`  `"},
    });
}

TEST(MarkupFormatterRulesTest, CodeBlocks) {
    const auto whenLanguage = changed(
        [](Options& o) { o.useCodeFence = Options::UseCodeFence::onlyWhenLanguageIsPresent; });
    const auto never = changed([](Options& o) { o.useCodeFence = Options::UseCodeFence::never; });
    const auto defaultLanguage = changed([](Options& o) { o.defaultCodeBlockLanguage = "sh"; });
    expectFormats({
        {"fenced", code(std::nullopt, "x\n"), "```\nx\n```"},
        {"language after the fence", code("swift", "x\n"), "```swift\nx\n```"},
        {"default language", code(std::nullopt, "x\n"), "```sh\nx\n```", defaultLanguage},
        {"indented without a language", code(std::nullopt, "x\n y\n"), "    x\n     y",
         whenLanguage},
        {"fenced with a language", code("c", "x\n"), "```c\nx\n```", whenLanguage},
        {"never fenced drops the language", code("c", "x\n"), "    x", never},
        {"outer empty lines dropped, inner kept", code(std::nullopt, "\n\nx\n\ny\n\n"),
         "```\nx\n\ny\n```"},
        {"empty code", code(std::nullopt, ""), "```\n\n```"},
        // The fence is longer than any backtick run that starts a line inside.
        {"fence longer than a fence inside", code(std::nullopt, "a\n```\nb\n"),
         "````\na\n```\nb\n````"},
        {"fence longer than an indented run", code(std::nullopt, "  `````x\n"),
         "``````\n  `````x\n``````"},
        {"tilde fence for an info string with a backtick", code("a`b", "~~~~\n"),
         "~~~~~a`b\n~~~~\n~~~~~"},
        {"backticks inside a line do not count", code(std::nullopt, "a ````\n"),
         "```\na ````\n```"},
        {"code block in a list item",
         Document{UnorderedList{ListItem{paragraph("a"), CodeBlock(std::nullopt, "x\ny")}}},
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
        {"atx", Document{Heading(3, {Text("x")})}, "### x"},
        {"setext level 1", Document{Heading(1, {Text("Title")})}, "Title\n=====", setext},
        {"setext level 2 after a paragraph", Document{paragraph("p"), Heading(2, {Text("T")})},
         "p\n\nT\n-", setext},
        {"setext underline counts the prefix", Document{BlockQuote{Heading(1, {Text("Title")})}},
         "> Title\n> =======", setext},
        {"setext only for levels 1 and 2", Document{Heading(3, {Text("x")})}, "### x", setext},
        // A heading with a break would read back as a heading and a paragraph.
        {"a break makes level 1 underlined", broken(1), "a\nbc\n=="},
        {"a break makes level 2 underlined", broken(2), "a\nbc\n--"},
        {"a break in level 3 is a space", broken(3), "### a bc"},
        {"a hard break in level 4 is a space",
         Document{Heading(4, {Text("a"), LineBreak(), Text("b")})}, "#### a b"},
        {"an empty heading is never underlined", Document{paragraph("p"), Heading(1, {})},
         "p\n\n# ", setext},
    });
    EXPECT_DEATH(format(Document{Heading(0, {Text("x")})}, setext),
                 "Unexpected heading level 0 while formatting for setext-style heading");
}

// Indented code where it would read back as something else is fenced instead: after a list it
// would join the last item, after another indented block the two would merge, blank code
// would vanish.
TEST(MarkupFormatterRulesTest, UnfencedCodeFallsBackToAFence) {
    const auto never = changed([](Options& o) { o.useCodeFence = Options::UseCodeFence::never; });
    const auto whenLanguage = changed(
        [](Options& o) { o.useCodeFence = Options::UseCodeFence::onlyWhenLanguageIsPresent; });
    const auto block = [](std::string text) { return CodeBlock(std::nullopt, std::move(text)); };
    expectFormats({
        {"after an unordered list", Document{UnorderedList{ListItem{paragraph("a")}}, block("x\n")},
         "- a\n\n```\nx\n```", never},
        {"after an ordered list", Document{OrderedList{ListItem{paragraph("a")}}, block("x\n")},
         "1. a\n\n```\nx\n```", whenLanguage},
        {"after a list in a list item",
         Document{UnorderedList{
             ListItem{paragraph("a"), UnorderedList{ListItem{paragraph("b")}}, block("x")}}},
         "- a\n  - b\n  \n  ```\n  x\n  ```", never},
        {"every other block of a run",
         Document{block("x\n"), block("y\n"), block("z\n"), paragraph("p"), block("w\n")},
         "    x\n\n```\ny\n```\n\n    z\n\np\n\n    w", never},
        {"after a fenced block with a language", Document{CodeBlock("c", "x\n"), block("y\n")},
         "```c\nx\n```\n\n    y", whenLanguage},
        {"empty code", Document{paragraph("p"), block("")}, "p\n\n```\n\n```", never},
        {"blank code", Document{block("  \n")}, "```\n  \n```", never},
        {"after a paragraph", Document{paragraph("p"), block("x\n")}, "p\n\n    x", never},
        {"a blank first line", Document{block("  \nx\n")}, "```\n  \nx\n```", never},
        {"a blank last line", Document{block("x\n \n")}, "```\nx\n \n```", never},
    });
}

// A setext heading whose line would open a block of its own is written in the one-line form;
// an underscore that touches a letter or digit on its outer side becomes a star.
TEST(MarkupFormatterRulesTest, HeadingAndEmphasisStylesKeepTheirReading) {
    const auto setext = changed(
        [](Options& o) { o.preferredHeadingStyle = Options::PreferredHeadingStyle::setext; });
    const auto underline =
        changed([](Options& o) { o.emphasisMarker = Options::EmphasisMarker::underline; });
    expectFormats({
        {"a list marker", Document{Heading(1, {Text("1. Make a checklist")})},
         "# 1. Make a checklist", setext},
        // An ordered marker has at most 9 digits.
        {"a list marker of nine digits", Document{Heading(1, {Text("123456789. Steps")})},
         "# 123456789. Steps", setext},
        {"ten digits are no list marker", Document{Heading(1, {Text("1234567890. Steps")})},
         "1234567890. Steps\n=================", setext},
        {"raw HTML", Document{Heading(2, {InlineHTML("<img src=\"a.png\">"), Text(" Logo")})},
         "## <img src=\"a.png\"> Logo", setext},
        {"a quote marker", Document{Heading(1, {Text("> a")})}, "# > a", setext},
        {"a pipe above hyphens", Document{Heading(2, {Text("a |")})}, "## a |", setext},
        {"a pipe above equals signs", Document{Heading(1, {Text("a |")})}, "a |\n===", setext},
        {"a plain word", Document{Heading(1, {Text("Make")})}, "Make\n====", setext},
        {"a heading with a break", Document{Heading(1, {Text("- a"), SoftBreak(), Text("b")})},
         "# - a b"},
        {"strong before a letter", Paragraph{Strong{Text("c")}, Text("hange")}, "**c**hange",
         underline},
        {"emphasis after a digit", Paragraph{Text("2"), Emphasis{Text("b")}}, "2*b*", underline},
        {"emphasis after a letter of another script", Paragraph{Text("é"), Emphasis{Text("b")}},
         "é*b*", underline},
        {"emphasis between spaces", Paragraph{Text("a "), Emphasis{Text("b")}, Text(" c")},
         "a _b_ c", underline},
        {"emphasis before punctuation", Paragraph{Emphasis{Text("b")}, Text(".")}, "_b_.",
         underline},
        // Marks in the text around could pair with underscores, or take one in as HTML.
        {"an underscore in the text", Paragraph{Text("a_b "), Emphasis{Text("c")}}, "a_b *c*",
         underline},
        {"a star in the text", Paragraph{Emphasis{Text("c")}, Text(" d*")}, "*c* d*", underline},
        {"a tag opening in the text", Paragraph{Text("<div "), Emphasis{Text("c")}}, "<div *c*",
         underline},
        {"emphasis in emphasis", Paragraph{Emphasis{Text("a "), Emphasis{Text("b")}}}, "*a *b**",
         underline},
        {"after a control character", Paragraph{Text("a\x15"), Emphasis{Text("b")}}, "a\x15*b*",
         underline},
    });
}

// A command after a sibling starts its own line; within a line it would be read as text. In a
// command a blank line would end it: its blocks follow one another on the next line where they
// can, and keep the blank line where nothing else reads back as two blocks.
TEST(MarkupFormatterRulesTest, DoxygenCommandsStartTheirOwnLines) {
    const Document commands{DoxygenParameter("x", {paragraph("the x")}),
                            DoxygenReturns(paragraph("y")), DoxygenNote(paragraph("n"))};
    const auto never = changed([](Options& o) { o.useCodeFence = Options::UseCodeFence::never; });
    const DoxygenNote itemOpeningWithCode{UnorderedList{ListItem{CodeBlock(std::nullopt, "c\n")}}};
    expectFormats({
        {"code opening an item indented on the marker's line", Document{itemOpeningWithCode},
         "\\note -     c", never},
        {"the command alone on its line where the body's second line is indented",
         Document{
             itemOpeningWithCode,
             DoxygenParameter("p", {UnorderedList{ListItem{
                                       paragraph("a"), UnorderedList{ListItem{paragraph("b")}}}}})},
         "\\note\n- ```\n  c\n  ```\n\\param p\n- a\n  - b"},
        {"commands built into one another: the inner word alone, the outer written again once",
         Document{DoxygenNote{CodeBlock(std::nullopt, "  c\n"),
                              DoxygenNote{CodeBlock(std::nullopt, "  d\n")}}},
         "\\note\n```\n  c\n```\n\\note\n```\n  d\n```"},
        {"commands in a row", commands, "\\param x the x\n\\returns y\n\\note n"},
        {"a command after a paragraph", Document{paragraph("p"), DoxygenNote(paragraph("n"))},
         "p\n\\note n"},
        {"blank lines kept where a command's lines cannot do without, and in quotes",
         Document{
             DoxygenNote{paragraph("a"), paragraph("b")},
             DoxygenNote{BlockQuote{paragraph("a")}, paragraph("b"), BlockQuote{paragraph("c")},
                         BlockQuote{paragraph("d")}},
             DoxygenNote{UnorderedList{ListItem{paragraph("a")}}, paragraph("b")},
             DoxygenNote{paragraph("a"), UnorderedList{ListItem{}},
                         Heading(1, {Text("b"), SoftBreak(), Text("c")})},
             DoxygenNote{BlockQuote{paragraph("a"), ThematicBreak()}},
             DoxygenNote{BlockQuote{paragraph("a")},
                         Table({std::nullopt}, Table::Head{testing::cell("b")}, Table::Body{})}},
         "\\note a\n\nb\n\\note > a\n\nb\n> c\n\n> d\n\\note - a\n\nb\n"
         "\\note a\n\n- \nb\nc\n=\n\\note > a\n> \n> -----\n\\note > a\n\n|b|\n|-|"},
    });
    const auto options = ParseOptions::parseBlockDirectives | ParseOptions::parseMinimalDoxygen;
    EXPECT_TRUE(parseDocument(format(commands), options).hasSameStructure(commands));
}

// HTML follows a paragraph in a command on the next line where the parser lets it interrupt the
// paragraph (which it is asked first); elsewhere it would read as the paragraph's text, and
// keeps its blank line. A paragraph follows HTML on the next line where the HTML's last line
// closes what it opened; only a blank line ends any other.
TEST(MarkupFormatterRulesTest, HTMLAndParagraphsSideBySideInADoxygenCommand) {
    const std::pair<std::string, bool> cases[] = {
        {"<div>", true},         {"<DIV class=a>", true}, {"</p>", true},
        {"<hr/>", true},         {"<h1>", true},          {"<pre>", true},
        {"<script>", true},      {"<!-- c -->", true},    {"<?x?>", true},
        {"<!DOCTYPE x>", true},  {"<![CDATA[x]]>", true}, {"<textarea>", false},
        {"<meta>", false},       {"<source>", false},     {"<br>", false},
        {"<!doctype x>", false}, {"<divx>", false},       {"</pre>", false},
        {"<pre/>", false},       {"<img src=a>", false},
    };
    const auto doxygen = ParseOptions::parseBlockDirectives | ParseOptions::parseMinimalDoxygen;
    for (const auto& [html, interrupts] : cases) {
        const auto joined = parseDocument("\\note x\n" + html, doxygen).child(0);
        EXPECT_EQ(joined && joined->childCount() == 2, interrupts) << html;
        EXPECT_EQ(format(DoxygenNote{paragraph("x"), HTMLBlock(html + "\n")}),
                  "\\note x\n" + std::string(interrupts ? "" : "\n") + html)
            << html;
    }
    const std::pair<std::string, bool> closing[] = {
        {"<!-- c -->", true},    {"<?x?>", true},        {"<!DOCTYPE x>", true},
        {"<![CDATA[x]]>", true}, {"<pre>x</PRE>", true}, {"<style>a</style> b", true},
        {"<!-- c", false},       {"<?x", false},         {"<pre>", false},
        {"<div>", false},        {"<br>", false},
    };
    for (const auto& [html, closes] : closing) {
        const auto followed = parseDocument("\\note " + html + "\nx", doxygen).child(0);
        EXPECT_EQ(followed && followed->childCount() == 2, closes) << html;
        EXPECT_EQ(format(DoxygenNote{HTMLBlock(html + "\n"), paragraph("x")}),
                  "\\note " + html + (closes ? "\nx" : "\n\nx"))
            << html;
    }
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
    OrderedList fromFive{ListItem{paragraph("a")}, ListItem{paragraph("b")}};
    fromFive.setStartIndex(5);
    expectFormats({
        {"thematic break", Document{paragraph("a"), ThematicBreak()}, "a\n\n-----"},
        {"empty quotes keep their markers",
         Document{BlockQuote{}, UnorderedList{ListItem{paragraph("a"), BlockQuote{}}}},
         "> \n\n- a\n\n  > "},
        {"thematic break options", Document{ThematicBreak()}, "***", stars},
        {"unordered items",
         Document{UnorderedList{ListItem{paragraph("a")}, ListItem{paragraph("b")}}}, "+ a\n+ b",
         plusMarker},
        {"ordered items all numbered 1", Document{fromFive}, "1. a\n1. b"},
        {"incrementing from 3",
         Document{OrderedList{ListItem{paragraph("a")}, ListItem{paragraph("b")},
                              ListItem{paragraph("c")}}},
         "3. a\n4. b\n5. c", fromThree},
        {"task items",
         Document{UnorderedList{ListItem(Checkbox::checked, {paragraph("a")}),
                                ListItem(Checkbox::unchecked, {paragraph("b")})}},
         "- [x] a\n- [ ] b"},
        {"directive without arguments or children", Document{BlockDirective("Name", std::nullopt)},
         "@Name"},
        {"directive with arguments and children",
         Document{BlockDirective("Name", "a: 1\nb: 2", {paragraph("x")})},
         "@Name(a: 1\nb: 2) {\n    x\n}"},
        {"doxygen parameter", Document{DoxygenParameter("x", {paragraph("a")})}, "\\param x a"},
        {"doxygen note with @", Document{DoxygenNote{paragraph("a")}}, "@note a", at},
    });
    EXPECT_DEATH(format(Document{CustomBlock{}}), "Formatter not implemented for CustomBlock");
}

// A list right after a list of its kind takes the other marker, or the two would read back as
// one list; the other bullet is not the thematic break's character.
TEST(MarkupFormatterRulesTest, ListsSideBySideReadBackApart) {
    const auto item = [](std::string text) { return ListItem{paragraph(std::move(text))}; };
    const auto starsAndDashes = changed([](Options& o) {
        o.unorderedListMarker = Options::UnorderedListMarker::star;
        o.thematicBreakCharacter = Options::ThematicBreakCharacter::dash;
    });
    const Document bullets{UnorderedList{item("a")}, UnorderedList{item("b"), item("c")},
                           UnorderedList{item("d")}};
    const Document numbered{OrderedList{item("a")}, OrderedList{item("b")}};
    const Document nested{UnorderedList{
        ListItem{paragraph("a"), UnorderedList{item("b")}, UnorderedList{item("c")}}}};
    const Document mixed{UnorderedList{item("a")}, OrderedList{item("b")},
                         UnorderedList{item("c")}};
    const std::vector<testing::FormatCase> cases = {
        {"bullets alternate", bullets, "- a\n\n* b\n* c\n\n- d"},
        {"numbers alternate their delimiter", numbered, "1. a\n\n1) b"},
        {"nested lists side by side", nested, "- a\n  - b\n  * c"},
        {"lists of two kinds keep their markers", mixed, "- a\n\n1. b\n\n- c"},
        {"other bullet avoids the break character", bullets, "* a\n\n+ b\n+ c\n\n* d",
         starsAndDashes},
    };
    testing::expectFormats(cases);
    for (const auto& c : cases)
        EXPECT_TRUE(parseDocument(c.expected).hasSameStructure(c.tree)) << c.name;
}

// A break after a space reads back with the space, and a second format writes what the first
// did, with lines ended by hard breaks at a limit too.
TEST(MarkupFormatterRulesTest, HardBreaksAfterSpacesReadBackAndFormatTheSameTwice) {
    const Document tree = parseDocument("aaaa bbbb \\\ncccc dddd eeee ffff gggg \\\nhhhh");
    for (const Options& options :
         {Options(), testing::withLineLimit(20, testing::LineLimit::SplittingElement::hardBreak)}) {
        const std::string once = format(tree, options);
        EXPECT_EQ(format(parseDocument(once), options), once);
    }
    EXPECT_TRUE(parseDocument(format(tree)).hasSameStructure(tree));
}

// Stored settings name the options by raw value, exactly, and a short break is made long enough.
TEST(MarkupFormatterOptionsTest, RawValuesReadBackExactlyAndBreaksAreAtLeastThreeLong) {
    using Fence = Options::UseCodeFence;
    EXPECT_EQ(OptionCases<Fence>::fromRawValue("when-language-present"),
              Fence::onlyWhenLanguageIsPresent);
    EXPECT_EQ(OptionCases<Fence>::fromRawValue("Always"), std::nullopt);
    EXPECT_EQ(OptionCases<Fence>::fromRawValue(""), std::nullopt);
    EXPECT_EQ(rawValue(Options::DoxygenCommandPrefix::backslash), "\\");
    for (auto marker : OptionCases<Options::UnorderedListMarker>::all)
        EXPECT_EQ(OptionCases<Options::UnorderedListMarker>::fromRawValue(rawValue(marker)),
                  marker);
    // A break character read back from its stored value draws the break.
    for (const std::string raw : {"-", "_", "*"}) {
        const auto character = OptionCases<Options::ThematicBreakCharacter>::fromRawValue(raw);
        ASSERT_TRUE(character) << raw;
        EXPECT_EQ(rawValue(*character), raw);
        const Options options = changed([&](Options& o) { o.thematicBreakCharacter = *character; });
        EXPECT_EQ(format(Document{ThematicBreak()}, options), raw + raw + raw + raw + raw);
    }
    for (auto [given, stored] :
         {std::pair<std::uint64_t, std::uint64_t>{0, 3}, {2, 3}, {3, 3}, {4, 4}}) {
        const Options options = Options::make(
            Options::UnorderedListMarker::star, Options::OrderedListNumerals::incrementing(2),
            Options::UseCodeFence::never, "sh", Options::ThematicBreakCharacter::underline, given,
            Options::EmphasisMarker::underline, false, Options::PreferredHeadingStyle::setext,
            std::nullopt, "> ", Options::DoxygenCommandPrefix::at);
        EXPECT_EQ(options.thematicBreakLength, stored) << given;
    }
}

}  // namespace
}  // namespace pindrake::markdown
