#include <gtest/gtest.h>

#include "FormatterFixtures.h"
#include "markdown/format/HTMLFormatter.h"

namespace pindrake::markdown {
namespace {

using testing::cell;
using testing::paragraph;
constexpr HTMLFormatterOptions asides = HTMLFormatterOptions::parseAsides;
constexpr HTMLFormatterOptions classes = HTMLFormatterOptions::parseInlineAttributeClass;

struct Case {
    const char* name;
    Markup tree;
    std::string expected;
    HTMLFormatterOptions options = {};
};

void expectHTML(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(HTMLFormatter::format(c.tree, c.options), c.expected) << c.name;
    }
}

OrderedList startingAt(std::uint64_t start) {
    OrderedList list{ListItem{paragraph("a")}};
    list.setStartIndex(start);
    return list;
}

TEST(HTMLFormatterTest, Blocks) {
    expectHTML({
        {"heading: plain text only", Heading(1, {Text("Title "), Emphasis{Text("x")}}),
         "<h1>Title x</h1>\n"},
        {"unordered list, no tight form", UnorderedList{ListItem{paragraph("a")}},
         "<ul>\n<li><p>a</p>\n</li>\n</ul>\n"},
        {"task items",
         UnorderedList{ListItem(Checkbox::checked, {paragraph("a")}),
                       ListItem(Checkbox::unchecked, {paragraph("b")})},
         "<ul>\n<li><input type=\"checkbox\" disabled=\"\" checked=\"\" /> <p>a</p>\n</li>\n"
         "<li><input type=\"checkbox\" disabled=\"\" /> <p>b</p>\n</li>\n</ul>\n"},
        {"ordered from 3", startingAt(3), "<ol start=\"3\">\n<li><p>a</p>\n</li>\n</ol>\n"},
        {"ordered from 1", startingAt(1), "<ol>\n<li><p>a</p>\n</li>\n</ol>\n"},
        {"ordered from 0", startingAt(0), "<ol start=\"0\">\n<li><p>a</p>\n</li>\n</ol>\n"},
        {"code with language", CodeBlock("diff", "x\n"),
         "<pre><code class=\"language-diff\">x\n</code></pre>\n"},
        {"code without language", CodeBlock(std::nullopt, "x"), "<pre><code>x</code></pre>\n"},
        {"code is escaped", CodeBlock("a\"b", "<script>&</script>"),
         "<pre><code "
         "class=\"language-a&quot;b\">&lt;script&gt;&amp;&lt;/script&gt;</code></pre>\n"},
        {"raw HTML passes through", Document{HTMLBlock("<div a=\"1\">&</div>\n")},
         "<div a=\"1\">&</div>\n"},
        {"thematic break and quote", Document{ThematicBreak(), BlockQuote{paragraph("q")}},
         "<hr />\n<blockquote>\n<p>q</p>\n</blockquote>\n"},
        {"custom and directive blocks: children only",
         Document{CustomBlock{paragraph("c")}, BlockDirective("D", "x", {paragraph("d")})},
         "<p>c</p>\n<p>d</p>\n"},
    });
}

TEST(HTMLFormatterTest, Inlines) {
    SymbolLink absent("");
    absent.setDestination(std::nullopt);
    expectHTML({
        {"text is escaped", paragraph("a < b & \"c\""), "<p>a &lt; b &amp; \"c\"</p>\n"},
        {"soft and hard breaks",
         Paragraph{Text("a"), SoftBreak(), Text("b"), LineBreak(), Text("c")},
         "<p>a\nb<br />\nc</p>\n"},
        {"spans",
         Paragraph{Emphasis{Text("a")}, Strong{Text("b")}, Strikethrough{Text("c")},
                   InlineCode("<d>")},
         "<p><em>a</em><strong>b</strong><del>c</del><code>&lt;d&gt;</code></p>\n"},
        {"image with source and title", Image("s.png", "t", {Text("alt")}),
         "<img src=\"s.png\" title=\"t\" />"},
        {"image without source or title", Image(std::nullopt, std::nullopt, {}), "<img />"},
        {"link destination escaped", Link("a\"b&c", {Text("x")}),
         "<a href=\"a&quot;b&amp;c\">x</a>"},
        {"link without destination", Link(std::nullopt, std::nullopt, {Text("x")}), "<a>x</a>"},
        {"inline HTML passes through", InlineHTML("<b>&"), "<b>&"},
        {"symbol link; none without a destination", Paragraph{SymbolLink("x<y"), absent},
         "<p><code>x&lt;y</code></p>\n"},
        {"attributes quoted as entities", InlineAttributes("a: \"x&y\"", {Text("t")}),
         "<span data-attributes=\"a: &quot;x&amp;y&quot;\">t</span>"},
        // What counts as a class is the object reader's rule; here only that it is read.
        {"class from JSON5", InlineAttributes("class: 'x y',", {Text("t")}),
         "<span data-attributes=\"class: 'x y',\" class=\"x y\">t</span>", classes},
        {"class only with the option", InlineAttributes("class: 'x'", {Text("t")}),
         "<span data-attributes=\"class: 'x'\">t</span>"},
    });
}

TEST(HTMLFormatterTest, AsidesFromTreesAndFromMarkdownText) {
    const auto quote = [](std::string text) { return BlockQuote{paragraph(std::move(text))}; };
    expectHTML({
        {"aside", quote("Note: hi"), "<aside data-kind=\"Note\">\n<p>hi</p>\n</aside>\n", asides},
        {"tag of two words stays a quote", quote("Two words: hi"),
         "<blockquote>\n<p>Two words: hi</p>\n</blockquote>\n", asides},
        {"no aside without the option", quote("Note: hi"),
         "<blockquote>\n<p>Note: hi</p>\n</blockquote>\n"},
    });
    EXPECT_EQ(HTMLFormatter::format(std::string_view("# T\n\n> Tip: a <b>\n")),
              "<h1>T</h1>\n<blockquote>\n<p>Tip: a <b></p>\n</blockquote>\n");
    EXPECT_EQ(HTMLFormatter::format(std::string_view("> Tip: a\n"), asides),
              "<aside data-kind=\"Tip\">\n<p>a</p>\n</aside>\n");
}

TEST(HTMLFormatterTest, DeepNestingNeedsNoDeepStack) {
    constexpr int depth = 100000;
    BlockQuote quote{paragraph("a")};
    std::string opening;
    std::string closing;
    for (int i = 0; i < depth; ++i) {
        if (i > 0)
            quote = BlockQuote(std::vector<BlockMarkup>{quote});
        opening += "<blockquote>\n";
        closing += "</blockquote>\n";
    }
    EXPECT_EQ(HTMLFormatter::format(quote), opening + "<p>a</p>\n" + closing);
}

TEST(HTMLFormatterTest, Tables) {
    const auto left = ColumnAlignment::left;
    const auto right = ColumnAlignment::right;
    expectHTML({
        {"alignments, empty body", Table({left, std::nullopt}, {cell("a"), cell("b")}, {}),
         "<table>\n<thead>\n<tr>\n<th align=\"left\">a</th>\n<th>b</th>\n</tr>\n</thead>\n"
         "</table>\n"},
        {"alignment by column after a span",
         Table({left, std::nullopt, right}, {cell("a"), cell("b"), cell("c")},
               Table::Body{Table::Row{cell("x", 2), cell("", 0), cell("y")}}),
         "<table>\n<thead>\n<tr>\n<th align=\"left\">a</th>\n<th>b</th>\n"
         "<th align=\"right\">c</th>\n</tr>\n</thead>\n<tbody>\n<tr>\n"
         "<td align=\"left\" colspan=\"2\">x</td>\n<td align=\"right\">y</td>\n</tr>\n"
         "</tbody>\n</table>\n"},
        {"row span: the covered cell is left out",
         Table({}, {cell("a")},
               Table::Body{Table::Row{cell("x", 1, 2)}, Table::Row{Table::Cell(1, 0, {})}}),
         "<table>\n<thead>\n<tr>\n<th>a</th>\n</tr>\n</thead>\n<tbody>\n<tr>\n"
         "<td rowspan=\"2\">x</td>\n</tr>\n<tr>\n</tr>\n</tbody>\n</table>\n"},
        {"a head filler covers nothing and is written",
         Table({}, {cell("^", 1, 0)}, Table::Body{Table::Row{cell("^", 1, 0)}}),
         "<table>\n<thead>\n<tr>\n<th>^</th>\n</tr>\n</thead>\n<tbody>\n<tr>\n<td>^</td>\n"
         "</tr>\n</tbody>\n</table>\n"},
        {"a cell alone writes nothing", cell("a"), ""},
        {"a row alone", Table::Row{cell("a")}, "<tr>\n</tr>\n"},
    });
}

}  // namespace
}  // namespace pindrake::markdown
