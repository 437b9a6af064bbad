#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "FormatterFixtures.h"
#include "ReadBack.h"
#include "markdown/format/MarkupTreeDumper.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

using testing::LineLimit;
using testing::normalised;
using testing::Options;
using testing::paragraph;
using testing::withLineLimit;

// Builds random trees through the element initialisers from pieces whose Markdown reads back
// as the same tree: words of letters, lists starting at 1, side by side too, link
// destinations that need no escaping, no link titles, task items only outside quotes, Doxygen
// commands and directives only at the top. Words that would open a block where a line starts
// ("-", "1.", ">", ...) and runs of spaces stand only inside a text, never where the tree
// itself starts a line, so that any line starting with them is the formatter's doing. Lines
// the formatter starts itself come in every shape: hard breaks opening a paragraph, a heading
// or an emphasis or following one another, items empty or opening with a break, a list or
// code, lists after HTML, code of bullet characters or starting with "@" or "\", lists opening
// a Doxygen body and blocks after HTML closed on its line.
class TreeGenerator {
  public:
    explicit TreeGenerator(unsigned seed) : random_(seed) {}

    Document document() { return Document(blocks(0)); }
    // Whether the document needs the Doxygen-reading parse.
    bool hasDoxygenCommands() const { return hasDoxygenCommands_; }
    // Whether the document needs the directive-reading parse.
    bool hasDirectiveLines() const { return hasDirectiveLines_ || hasDoxygenCommands_; }

  private:
    std::size_t below(std::size_t n) { return random_() % n; }

    // A heading's text must not end in "#", which would read back as its closing sequence.
    enum class Openers { none, all, allButHash };

    std::string words(std::size_t count, Openers openers = Openers::all) {
        static const char* const pool[] = {"alpha", "be",  "cat", "dog", "eel",  "fig",
                                           "gnu",   "hat", "ink", "jam", "kiwi", "lemon"};
        static const char* const opening[] = {"-", "+", "1.", ">", "=", "#"};
        const std::size_t openingCount =
            openers == Openers::none ? 0 : std::size(opening) - (openers == Openers::all ? 0 : 1);
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                text += below(6) == 0 ? "  " : " ";
            if (i > 0 && openingCount > 0 && below(4) == 0)
                text += opening[below(openingCount)];
            else
                text += pool[below(std::size(pool))];
        }
        return text;
    }

    // Emphasis may open with a break where breaks are allowed.
    InlineMarkup span(bool allowBreaks) {
        const bool opensWithBreak = allowBreaks && below(4) == 0;
        auto emphasised = [&](std::size_t count) {
            std::vector<InlineMarkup> children{Text(words(count))};
            if (opensWithBreak)
                children.insert(children.begin(), LineBreak());
            return children;
        };
        switch (below(7)) {
            case 0:
                return Emphasis(emphasised(1 + below(3)));
            case 1:
                return Strong(emphasised(1 + below(3)));
            case 2:
                return Strikethrough{Text(words(1 + below(2)))};
            case 3:
                return InlineCode(words(1 + below(3)));
            case 4:
                return Link("https://example.org/" + words(1, Openers::none),
                            {Text(words(1 + below(3)))});
            case 5:
                return Image("pic.png", std::string("a ") + words(1), {Text(words(1))});
            default:
                return Link("https://example.org/" + words(1, Openers::none) + "/" +
                                words(1, Openers::none),
                            {Text(words(1)), Strong{Text(words(1 + below(2)))}});
        }
    }

    // Texts and spans alternate; a break stands between two texts, and hard breaks may open
    // the paragraph or follow one another.
    std::vector<InlineMarkup> inlines(bool allowBreaks, Openers openers = Openers::all) {
        std::vector<InlineMarkup> children;
        auto words = [&](std::size_t count) { return this->words(count, openers); };
        if (allowBreaks && below(8) == 0)
            children.push_back(LineBreak());
        std::string text = words(1 + below(12));
        const std::size_t pieces = below(5);
        for (std::size_t i = 0; i < pieces; ++i) {
            const std::size_t choice = below(allowBreaks ? 4 : 2);
            if (choice >= 2) {
                children.push_back(Text(text));
                children.push_back(choice == 2 ? InlineMarkup(SoftBreak()) : LineBreak());
                if (choice == 3 && below(3) == 0)
                    children.push_back(LineBreak());
                text = words(1 + below(8));
                continue;
            }
            children.push_back(Text(text + " "));
            children.push_back(span(allowBreaks));
            text = " " + words(1 + below(8));
        }
        children.push_back(Text(text));
        return children;
    }

    Table table() {
        const std::size_t columns = 1 + below(4);
        const ColumnAlignment kinds[] = {ColumnAlignment::left, ColumnAlignment::center,
                                         ColumnAlignment::right};
        Table::Alignments alignments;
        std::vector<Table::Cell> head;
        for (std::size_t c = 0; c < columns; ++c) {
            alignments.push_back(below(4) == 0 ? std::nullopt : std::optional(kinds[below(3)]));
            head.push_back(Table::Cell{Text(words(1 + below(2)))});
        }
        std::vector<Table::Row> rows;
        for (std::size_t r = below(3); r > 0; --r) {
            std::vector<Table::Cell> cells;
            for (std::size_t c = 0; c < columns; ++c) {
                cells.push_back(
                    Table::Cell{Text(words(1 + below(3)) + " "), Emphasis{Text(words(1))}});
            }
            rows.push_back(Table::Row(cells));
        }
        return Table(alignments, Table::Head(head), Table::Body(rows));
    }

    // Code whose first line may start with "@", which reads as a directive outside code, or
    // hold only characters of bullets and thematic breaks.
    CodeBlock code() {
        static const char* const breaking[] = {"--\n", "**\n", "++\n", "- -\n", "__\n"};
        std::string text = words(2) + "\n\n  " + words(3) + "\n";
        if (below(4) == 0) {
            text = breaking[below(std::size(breaking))];
        } else if (below(2) == 0) {
            hasDirectiveLines_ = true;
            text = "@" + text;
        }
        return CodeBlock(below(2) == 0 ? std::nullopt : std::optional<std::string>("rust"), text);
    }

    // HTML blocks that only a blank line ends.
    HTMLBlock html() {
        static const char* const pool[] = {"<div>\n", "<img src=\"pic.png\">\n", "<br>\n"};
        return HTMLBlock(pool[below(std::size(pool))]);
    }

    // Mostly a paragraph first; otherwise a break, a list, code, HTML or nothing at all. A
    // first item opens with a list more often, so that markers pile up on one line ("- - -").
    ListItem item(std::size_t depth, bool task, bool first) {
        std::vector<BlockMarkup> blocks;
        switch (first && below(3) == 0 ? 1 : below(9)) {
            case 0:
                blocks.push_back(ThematicBreak());
                break;
            case 1:
            case 2:
            case 5:
                if (depth < maxDepth)
                    blocks.push_back(list(depth + 1));
                break;
            case 3:
                blocks.push_back(code());
                break;
            case 4:
                break;
            case 6:
                blocks.push_back(html());
                break;
            default:
                blocks.push_back(Paragraph(inlines(true)));
        }
        if (!blocks.empty() && depth < maxDepth && below(3) == 0)
            blocks.push_back(below(2) == 0 ? quote(depth) : list(depth + 1));
        if (task)
            return ListItem(below(2) == 0 ? Checkbox::checked : Checkbox::unchecked, blocks);
        return ListItem(std::nullopt, blocks);
    }

    BlockMarkup list(std::size_t depth) {
        const bool ordered = below(3) == 0;
        // cmark-gfm reads task items only outside block quotes.
        const bool tasks = !ordered && quoteDepth_ == 0 && below(3) == 0;
        std::vector<ListItem> items;
        for (std::size_t i = 1 + below(3); i > 0; --i)
            items.push_back(item(depth, tasks, items.empty()));
        if (ordered)
            return OrderedList(items);
        return UnorderedList(items);
    }

    // A Doxygen command's body: a paragraph, a quote, a list, code of command lines or code
    // never closed on the command's line, then blocks on the lines below, for a blank line ends it.
    BlockMarkup doxygenCommand() {
        hasDoxygenCommands_ = true;
        const std::size_t first = below(6);
        std::vector<BlockMarkup> body{
            first == 0   ? BlockMarkup(quote(1))
            : first == 1 ? BlockMarkup(CodeBlock({}, below(2) == 0 ? "" : "@param p a\n\\note b\n"))
            : first == 2 ? listInCommand(0)
                         : BlockMarkup(Paragraph(inlines(true)))};
        linesBelow(body, 0);
        if (below(2) == 0)
            return DoxygenParameter(words(1, Openers::none), body);
        return DoxygenReturns(body);
    }

    // Blocks on the lines below the last one: after a paragraph, a list, a quote or a table
    // only blocks interrupting a paragraph (a table after a paragraph only, a quote not after
    // a quote, HTML of a block element or closed on its line); after code, a heading, a break
    // or HTML closed on its line also paragraphs and headings with breaks. Only a blank line
    // ends other HTML, so nothing follows it.
    void linesBelow(std::vector<BlockMarkup>& blocks, std::size_t depth) {
        static const char* const closedHTML[] = {"<!-- c -->\n", "<?x?>\n", "<pre>x</pre>\n"};
        for (std::size_t i = below(4); i > 0; --i) {
            const Markup& last = blocks.back();
            const bool takesLines = !last.is<CodeBlock>() && !last.is<Heading>() &&
                                    !last.is<ThematicBreak>() && !last.is<HTMLBlock>();
            const std::size_t choice = below(takesLines ? 7 : 9);
            if (choice == 0)
                blocks.push_back(CodeBlock(std::nullopt, words(2) + "\n-- " + words(1) + "\n"));
            else if (choice == 1 || choice == 8)
                blocks.push_back(Heading(1 + static_cast<std::int64_t>(below(choice == 1 ? 6 : 2)),
                                         inlines(choice == 8, Openers::allButHash)));
            else if (choice == 2)
                blocks.push_back(ThematicBreak());
            else if (choice == 3 && depth < maxDepth)
                blocks.push_back(listInCommand(depth));
            else if (choice == 4 && !last.is<BlockQuote>())
                blocks.push_back(quote(depth + 1));
            else if (choice == 5 && (!takesLines || last.is<Paragraph>()))
                blocks.push_back(table());
            else if (choice == 7)
                blocks.push_back(Paragraph(inlines(true)));
            else if (choice == 6 && below(2) == 0)
                blocks.push_back(HTMLBlock(closedHTML[below(std::size(closedHTML))]));
            else if (choice == 6) {
                blocks.push_back(takesLines ? HTMLBlock("<div>\n") : html());
                return;
            }
        }
    }

    // Items open with a paragraph, so that the list can interrupt one.
    BlockMarkup listInCommand(std::size_t depth) {
        std::vector<ListItem> items;
        for (std::size_t i = 1 + below(3); i > 0; --i) {
            std::vector<BlockMarkup> blocks{Paragraph(inlines(true))};
            linesBelow(blocks, depth + 1);
            items.push_back(ListItem(std::nullopt, blocks));
        }
        return below(3) == 0 ? BlockMarkup(OrderedList(items)) : BlockMarkup(UnorderedList(items));
    }

    BlockMarkup directive() {
        hasDirectiveLines_ = true;
        std::vector<BlockMarkup> contents = blocks(1);
        contents.insert(contents.begin(), code());
        return BlockDirective(words(1, Openers::none), std::nullopt, contents);
    }

    BlockMarkup quote(std::size_t depth) {
        ++quoteDepth_;
        BlockQuote quote(blocks(depth + 1));
        --quoteDepth_;
        return quote;
    }

    std::vector<BlockMarkup> blocks(std::size_t depth) {
        std::vector<BlockMarkup> blocks;
        for (std::size_t i = 1 + below(4); i > 0; --i) {
            std::size_t choice = below(depth < maxDepth ? 9 : 6);
            // Quotes nest deeper than the rest, often as the first block of a quote.
            if (depth > 0 && depth < maxQuoteDepth && blocks.empty() && below(3) == 0)
                choice = 6;
            if (depth == 0 && below(8) == 0) {
                blocks.push_back(below(2) == 0 ? doxygenCommand() : directive());
                continue;
            }
            switch (choice) {
                case 0:
                case 1:
                    blocks.push_back(Paragraph(inlines(true)));
                    break;
                case 2: {
                    // Underlined headings keep their breaks; one-line ones would lose them.
                    const std::int64_t level = 1 + static_cast<std::int64_t>(below(6));
                    blocks.push_back(Heading(level, inlines(level <= 2, Openers::allButHash)));
                    break;
                }
                case 3:
                    blocks.push_back(code());
                    break;
                case 4:
                    blocks.push_back(ThematicBreak());
                    break;
                case 5:
                    blocks.push_back(table());
                    break;
                case 6:
                case 8:
                    blocks.push_back(quote(depth));
                    break;
                default:
                    blocks.push_back(below(4) == 0 ? BlockMarkup(html()) : list(depth));
            }
        }
        return blocks;
    }

    static constexpr std::size_t maxDepth = 2;
    static constexpr std::size_t maxQuoteDepth = 6;
    std::mt19937 random_;
    std::size_t quoteDepth_ = 0;
    bool hasDoxygenCommands_ = false;
    bool hasDirectiveLines_ = false;
};

struct Configuration {
    std::string name;
    Options options;
};

// The formatter's own choices (line ends, break kind, code, heading and emphasis style) never
// change what a tree reads back as.
std::vector<Configuration> configurations() {
    std::vector<Configuration> all{{"defaults", Options()}};
    for (std::int64_t limit : {1, 10, 23, 40, 80}) {
        all.push_back({"soft breaks at " + std::to_string(limit), withLineLimit(limit)});
        all.push_back({"hard breaks at " + std::to_string(limit),
                       withLineLimit(limit, LineLimit::SplittingElement::hardBreak)});
    }
    Options never;
    never.useCodeFence = Options::UseCodeFence::never;
    all.push_back({"never fenced", never});
    Options onlyWithLanguage = never;
    onlyWithLanguage.useCodeFence = Options::UseCodeFence::onlyWhenLanguageIsPresent;
    onlyWithLanguage.preferredLineLimit = LineLimit(20, LineLimit::SplittingElement::softBreak);
    all.push_back({"fenced with a language, soft breaks at 20", onlyWithLanguage});
    Options underlined;
    underlined.preferredHeadingStyle = Options::PreferredHeadingStyle::setext;
    underlined.emphasisMarker = Options::EmphasisMarker::underline;
    all.push_back({"setext headings, underscores", underlined});
    return all;
}

// Without a limit the tree reads back exactly; with one, equal once soft breaks are spaces.
// Either way, formatting the reread tree gives the same text.
// ROUND_TRIP_SEEDS asks for more seeds than the 300 of a usual run.
TEST(RoundTripTest, GeneratedTreesReadBackUnchangedAtEveryLineLimit) {
    const char* asked = std::getenv("ROUND_TRIP_SEEDS");
    const unsigned long seeds = asked ? std::stoul(asked) : 300;
    for (const auto& [name, options] : configurations()) {
        for (unsigned seed = 1; seed <= seeds; ++seed) {
            TreeGenerator generator(seed);
            const Document tree = generator.document();
            ParseOptions parsing;
            if (generator.hasDirectiveLines())
                parsing |= ParseOptions::parseBlockDirectives;
            if (generator.hasDoxygenCommands())
                parsing |= ParseOptions::parseMinimalDoxygen;
            const std::string text = format(tree, options);
            const Document reread = parseDocument(text, parsing);
            const Markup expected = normalised(tree, options);
            const Markup actual = normalised(reread, options);
            ASSERT_TRUE(actual.hasSameStructure(expected))
                << name << ", seed " << seed << "\n"
                << text << "\n---\n"
                << debugDescription(expected) << "\n---\n"
                << debugDescription(actual);
            EXPECT_EQ(format(reread, options), text) << name << ", seed " << seed;
        }
    }
}

// Each block alone and each pair of blocks in a Doxygen body reads back, but for the pairs no
// writing holds in the command's lines, listed with the blocks that cannot follow the first
// there: these keep their blank line and read back outside the command.
TEST(RoundTripTest, BlocksInDoxygenBodiesReadBackWhereAWritingHoldsThem) {
    // Paragraph, heading holding a break, heading, table, thematic break, code, empty code,
    // quote, quote ending in code, list, list of an item with a second line, item opening with
    // code, empty item, comment, block element's tag, another tag.
    const std::string all = "PHhTBCEQqLNIecdt";
    const char* const markdown[] = {
        "a\nb",  "a\\\nb\n==",        "# h", "| a |\n|---|", "***",     "```\nc\n```", "```\n```",
        "> q",   "> ```\n> c\n> ```", "- a", "- a\n  - b",   "-     c", "-",           "<!-- c -->",
        "<div>", "<a href=\"x\">"};
    const std::map<char, std::string> unholdable = {{'P', "PHet"}, {'T', "PHTet"}, {'Q', "PHTQq"},
                                                    {'q', "Qq"},   {'L', "PHT"},   {'N', "PHT"},
                                                    {'d', all},    {'t', all}};
    const auto doxygen = ParseOptions::parseBlockDirectives | ParseOptions::parseMinimalDoxygen;
    const auto block = [&](char name) {
        return *parseDocument(markdown[all.find(name)]).child(0)->as<BlockMarkup>();
    };
    for (const Configuration& configuration : configurations()) {
        const auto expectReadBack = [&](const Document& tree, bool holds) {
            const auto& [name, options] = configuration;
            const std::string text = format(tree, options);
            const Document reread = parseDocument(text, doxygen);
            ASSERT_EQ(normalised(reread, options).hasSameStructure(normalised(tree, options)),
                      holds)
                << name << ":\n"
                << text;
            if (holds)
                EXPECT_EQ(format(reread, options), text) << name;
        };
        for (char first : all) {
            expectReadBack(Document{DoxygenParameter("p", {block(first)})}, true);
            const std::string cannotFollow =
                unholdable.contains(first) ? unholdable.at(first) : std::string();
            for (char second : all) {
                expectReadBack(Document{DoxygenNote{block(first), block(second)}},
                               cannotFollow.find(second) == std::string::npos);
            }
        }
    }
}

// Line starts the formatter writes itself: a break with nothing before it on its line, a block
// opening an item, markers of items nested on one line, an empty item after a paragraph. Each
// tree reads back as itself, and formats the same again.
TEST(RoundTripTest, BlocksAndBreaksStartingALineReadBack) {
    struct Case {
        const char* name;
        Document tree;
        ParseOptions parsing = {};
        Options options = {};
    };
    const auto from = [](std::uint64_t n) {
        return testing::changed([n](Options& o) {
            o.orderedListNumerals = Options::OrderedListNumerals::incrementing(n);
        });
    };
    const auto unfenced =
        testing::changed([](Options& o) { o.useCodeFence = Options::UseCodeFence::never; });
    // Built as trees: the formatter is held to what it is given, whatever a parser would read.
    const CodeBlock atCode(std::nullopt, "@code\n");
    const auto directives = ParseOptions::parseBlockDirectives;
    const auto doxygen = directives | ParseOptions::parseMinimalDoxygen;
    const auto underlined = testing::changed(
        [](Options& o) { o.preferredHeadingStyle = Options::PreferredHeadingStyle::setext; });
    OrderedList fromThreeList{ListItem{paragraph("b")}};
    fromThreeList.setStartIndex(3);
    const Case cases[] = {
        {"break opening a paragraph", parseDocument("\\\nb")},
        {"break after a break", parseDocument("a\\\n\\\nb")},
        {"break right after an opening star", parseDocument("*\\\nb*")},
        {"break opening an item", parseDocument("- \\\n  b")},
        {"item holding a break", parseDocument("+ ***")},
        {"break in an item after an item", parseDocument("- a\n- ***")},
        {"break in a nested item", parseDocument("- - * * *")},
        {"nested empty items", parseDocument("- * +")},
        {"nested empty items in a quote", parseDocument("> 1. - * + -")},
        {"task item opening with a list", parseDocument("- [ ] \n  1. sub")},
        {"task item opening with code", parseDocument("- [x] \n  ```\n  c\n  ```")},
        {"task item opening with a break", parseDocument("- [x] \n  ***")},
        {"empty nested item after a paragraph", parseDocument("- a\n\n  -")},
        {"fence opening an item", Document{UnorderedList{ListItem{atCode}}}, directives},
        {"fence opening a nested item after a paragraph",
         Document{UnorderedList{ListItem{paragraph("a"), UnorderedList{ListItem{atCode}}}}},
         directives},
        {"fence opening an item nested twice",
         Document{
             UnorderedList{ListItem{UnorderedList{ListItem{UnorderedList{ListItem{atCode}}}}}}},
         directives},
        {"list from 3 after a paragraph in an item",
         Document{UnorderedList{ListItem{paragraph("a"), fromThreeList}}},
         {},
         from(3)},
        {"list from 0 after a paragraph in an item", parseDocument("- a\n\n  0. b"), {}, from(0)},
        {"task lists opening items", parseDocument("-\n  - [ ] a\n\n1.\n   -\n     - [x] ")},
        {"lists after HTML in items", parseDocument("- <div>\n\n  - b\n- a\n\n  <br>\n\n  - c")},
        {"unfenced dashes opening an item", parseDocument("-\n      --"), {}, unfenced},
        {"unfenced code opening a directive's contents",
         parseDocument("@a {\n```\n--\n```\n}", directives), directives, unfenced},
        {"fence opening a Doxygen body", Document{DoxygenNote{CodeBlock({}, "@param p d\n@a\n")}},
         doxygen},
        {"blocks after the first in Doxygen bodies",
         parseDocument("\\note x\n```\n@param p d\n```\ntext\n~~~\ne\n~~~\n- a\n  > q\n  1. b\n"
                       "> q\n# h\n***\n\\returns v\n| a |\n|---|\n\\note w\n<!-- c -->",
                       doxygen),
         doxygen},
        {"headings after a paragraph and a list in Doxygen bodies, underlined ones preferred",
         parseDocument("\\note x\n## h\n\\note y\n- a\n# h", doxygen), doxygen, underlined},
        {"quotes opening Doxygen bodies",
         parseDocument("\\note > q\n\\note > a\n> b\n\\param p > a", doxygen), doxygen},
        {"empty code opening a Doxygen body", parseDocument("\\note ```", doxygen), doxygen},
        {"break opening an underlined heading", parseDocument("\\\nb\n===")},
    };
    for (const Case& c : cases) {
        const std::string text = format(c.tree, c.options);
        const Document reread = parseDocument(text, c.parsing);
        EXPECT_TRUE(reread.hasSameStructure(c.tree)) << c.name << ":\n"
                                                     << text << "\n---\n"
                                                     << debugDescription(c.tree) << "\n---\n"
                                                     << debugDescription(reread);
        EXPECT_EQ(format(reread, c.options), text) << c.name;
    }
}

}  // namespace
}  // namespace pindrake::markdown
