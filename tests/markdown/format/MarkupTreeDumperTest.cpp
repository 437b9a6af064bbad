#include <gtest/gtest.h>

#include "FormatterFixtures.h"
#include "markdown/format/MarkupTreeDumper.h"
#include "markdown/tree/TreeFixtures.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::paragraph;
using testing::span;
using testing::textNode;

TEST(MarkupTreeDumperTest, DrawsTheTree) {
    const Document quotes{BlockQuote{paragraph("a")}, BlockQuote{paragraph("b")}};
    struct Case {
        const char* name;
        Markup tree;
        std::string expected;
    };
    const Case cases[] = {
        {"two paragraphs", Document{paragraph("a"), paragraph("b")},
         "Document\n├─ Paragraph\n│  └─ Text \"a\"\n└─ Paragraph\n   └─ Text \"b\""},
        {"code block lines under the block, blank lines dropped",
         Document{CodeBlock(std::nullopt, "x\n\ny\n"), paragraph("p")},
         "Document\n├─ CodeBlock language: none\n│  x\n│  y\n└─ Paragraph\n   └─ Text \"p\""},
        {"empty code", Document{CodeBlock("c", "")}, "Document\n└─ CodeBlock language: c\n"},
        {"raw HTML, a carriage return with its line feed is no split",
         Document{HTMLBlock("<a>\r\n<b>\n")}, "Document\n└─ HTMLBlock\n   <a>\r\n<b>"},
        {"texts are not escaped", Paragraph{Text("q\"\n"), InlineCode("c")},
         "Paragraph\n├─ Text \"q\"\n\"\n└─ InlineCode `c`"},
        {"empty element texts end with a space",
         Paragraph{Link(std::nullopt, std::nullopt, {}), Image(std::nullopt, std::nullopt, {})},
         "Paragraph\n├─ Link \n└─ Image "},
        {"element data",
         Document{Heading(2, {}), OrderedList{ListItem(Checkbox::checked, {})},
                  Paragraph{Link("u", {Text("t")}), Image("s", "t", {}), SymbolLink("sym"),
                            InlineAttributes("a: 1", {})}},
         "Document\n├─ Heading level: 2\n├─ OrderedList\n│  └─ ListItem checkbox: [x]\n"
         "└─ Paragraph\n   ├─ Link destination: \"u\"\n   │  └─ Text \"t\"\n"
         "   ├─ Image source: \"s\" title: \"t\"\n   ├─ SymbolLink destination: sym\n"
         "   └─ InlineAttributes attributes: `a: 1`"},
        {"table",
         Table({ColumnAlignment::left, std::nullopt, ColumnAlignment::right},
               {Table::Cell(2, 1, {}), Table::Cell(0, 1, {}), Table::Cell{}},
               {Table::Row{Table::Cell(1, 0, {})}}),
         "Table alignments: |l|-|r|\n├─ Head\n│  ├─ Cell colspan: 2\n│  ├─ Cell colspan: 0\n"
         "│  └─ Cell\n└─ Body\n   └─ Row\n      └─ Cell rowspan: 0"},
        {"table without alignments", Table({}, {}, {}), "Table alignments: ||\n├─ Head\n└─ Body"},
        {"directive name in debug form", BlockDirective("a\"b", "x: 1", {}),
         "BlockDirective name: \"a\\\"b\"\n├─ Argument text segments:\n|    \"x: 1\""},
        // An inner element keeps its branch and columns.
        {"inner, not last", *quotes.child(0),
         "├─ BlockQuote\n│  └─ Paragraph\n│     └─ Text \"a\""},
        {"inner, last", *quotes.child(1), "└─ BlockQuote\n   └─ Paragraph\n      └─ Text \"b\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(debugDescription(c.tree), c.expected) << c.name;
    }
}

TEST(MarkupTreeDumperTest, IdentifiersAndRanges) {
    const Document tree{paragraph("a")};
    const std::string root = std::to_string(tree.identifier().rootId);
    EXPECT_EQ(debugDescription(tree, MarkupDumpOptions::printSourceLocations |
                                         MarkupDumpOptions::printUniqueIdentifiers),
              "Document Root #" + root + " #0\n└─ Paragraph #1\n   └─ Text #2 \"a\"");

    const SourceRange whole = span(1, 1, 1, 4);
    const auto parsed =
        Document::wrap(node(payload::Document{}, whole,
                            {node(payload::Paragraph{}, whole, {textNode("a", span(1, 2, 1, 2))}),
                             node(payload::ThematicBreak{})}));
    EXPECT_EQ(debugDescription(parsed, MarkupDumpOptions::printSourceLocations),
              "Document @1:1-1:4\n├─ Paragraph @1:1-1:4\n│  └─ Text @1:2 \"a\"\n"
              "└─ ThematicBreak");
}

TEST(MarkupTreeDumperTest, DebugFormEscapesQuotesBackslashesAndControls) {
    EXPECT_EQ(debugQuoted("a\"b\\c\n\r\t"), "\"a\\\"b\\\\c\\n\\r\\t\"");
    EXPECT_EQ(debugQuoted(std::string("\x01", 1)), "\"\\u{1}\"");
}

}  // namespace
}  // namespace pindrake::markdown
