#include <gtest/gtest.h>

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
using testing::withLineLimit;

// Builds random trees through the element initialisers from pieces whose Markdown reads back
// as the same tree: words of letters, lists starting at 1, side by side too, link
// destinations that need no escaping, no link titles, task items only at the top, Doxygen
// commands only at the top. Words that would open a block where a line starts ("-", "1.",
// ">", ...) and runs of spaces stand only inside a text, never where the tree itself starts a
// line, so that any line starting with them is the formatter's doing.
class TreeGenerator {
  public:
    explicit TreeGenerator(unsigned seed) : random_(seed) {}

    Document document() { return Document(blocks(0)); }
    // Whether the document needs the Doxygen-reading parse.
    bool hasDoxygenCommands() const { return hasDoxygenCommands_; }

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

    InlineMarkup span() {
        switch (below(7)) {
            case 0:
                return Emphasis{Text(words(1 + below(3)))};
            case 1:
                return Strong{Text(words(1 + below(3)))};
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

    // Texts and spans alternate; a break stands between two texts.
    std::vector<InlineMarkup> inlines(bool allowBreaks, Openers openers = Openers::all) {
        std::vector<InlineMarkup> children;
        auto words = [&](std::size_t count) { return this->words(count, openers); };
        std::string text = words(1 + below(12));
        const std::size_t pieces = below(5);
        for (std::size_t i = 0; i < pieces; ++i) {
            const std::size_t choice = below(allowBreaks ? 4 : 2);
            if (choice >= 2) {
                children.push_back(Text(text));
                children.push_back(choice == 2 ? InlineMarkup(SoftBreak()) : LineBreak());
                text = words(1 + below(8));
                continue;
            }
            children.push_back(Text(text + " "));
            children.push_back(span());
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

    ListItem item(std::size_t depth, bool task) {
        std::vector<BlockMarkup> blocks{Paragraph(inlines(true))};
        if (depth < maxDepth && below(3) == 0)
            blocks.push_back(below(2) == 0 ? BlockMarkup(BlockQuote(this->blocks(depth + 1)))
                                           : BlockMarkup(list(depth + 1)));
        if (task)
            return ListItem(below(2) == 0 ? Checkbox::checked : Checkbox::unchecked, blocks);
        return ListItem(std::nullopt, blocks);
    }

    BlockMarkup list(std::size_t depth) {
        const bool ordered = below(2) == 0;
        // cmark-gfm reads task items only outside block quotes.
        const bool tasks = !ordered && depth == 0 && below(3) == 0;
        std::vector<ListItem> items;
        for (std::size_t i = 1 + below(3); i > 0; --i)
            items.push_back(item(depth, tasks));
        if (ordered)
            return OrderedList(items);
        return UnorderedList(items);
    }

    // A Doxygen command holding one paragraph; its first line follows the command's word.
    BlockMarkup doxygenCommand() {
        hasDoxygenCommands_ = true;
        const Paragraph content(inlines(true));
        if (below(2) == 0)
            return DoxygenParameter(words(1, Openers::none), {content});
        return DoxygenReturns(content);
    }

    std::vector<BlockMarkup> blocks(std::size_t depth) {
        std::vector<BlockMarkup> blocks;
        for (std::size_t i = 1 + below(4); i > 0; --i) {
            std::size_t choice = below(depth < maxDepth ? 9 : 6);
            // Quotes nest deeper than the rest, often as the first block of a quote.
            if (depth > 0 && depth < maxQuoteDepth && blocks.empty() && below(3) == 0)
                choice = 6;
            if (depth == 0 && below(8) == 0) {
                blocks.push_back(doxygenCommand());
                continue;
            }
            switch (choice) {
                case 0:
                case 1:
                    blocks.push_back(Paragraph(inlines(true)));
                    break;
                case 2:
                    blocks.push_back(Heading(static_cast<std::int64_t>(1 + below(6)),
                                             inlines(false, Openers::allButHash)));
                    break;
                case 3:
                    blocks.push_back(
                        CodeBlock(below(2) == 0 ? std::nullopt : std::optional<std::string>("rust"),
                                  words(2) + "\n\n  " + words(3) + "\n"));
                    break;
                case 4:
                    blocks.push_back(ThematicBreak());
                    break;
                case 5:
                    blocks.push_back(table());
                    break;
                case 6:
                case 8:
                    blocks.push_back(BlockQuote(this->blocks(depth + 1)));
                    break;
                default:
                    blocks.push_back(list(depth));
            }
        }
        return blocks;
    }

    static constexpr std::size_t maxDepth = 2;
    static constexpr std::size_t maxQuoteDepth = 6;
    std::mt19937 random_;
    bool hasDoxygenCommands_ = false;
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
TEST(RoundTripTest, GeneratedTreesReadBackUnchangedAtEveryLineLimit) {
    for (const auto& [name, options] : configurations()) {
        for (unsigned seed = 1; seed <= 300; ++seed) {
            TreeGenerator generator(seed);
            const Document tree = generator.document();
            const ParseOptions parsing =
                generator.hasDoxygenCommands()
                    ? ParseOptions::parseBlockDirectives | ParseOptions::parseMinimalDoxygen
                    : ParseOptions{};
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

}  // namespace
}  // namespace pindrake::markdown
