#include <gtest/gtest.h>

#include <random>

#include "FormatterFixtures.h"
#include "markdown/format/MarkupTreeDumper.h"
#include "markdown/format/SoftBreakDeleter.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

using testing::Options;
using testing::withLineLimit;

// Builds random trees through the element initialisers from pieces whose Markdown reads back
// as the same tree: words of letters, lists starting at 1 never next to another list, link
// destinations that need no escaping, no link titles, task items only at the top.
class TreeGenerator {
  public:
    explicit TreeGenerator(unsigned seed) : random_(seed) {}

    Document document() { return Document(blocks(0)); }

  private:
    std::size_t below(std::size_t n) { return random_() % n; }

    std::string words(std::size_t count) {
        static const char* const pool[] = {"alpha", "be",  "cat", "dog", "eel",  "fig",
                                           "gnu",   "hat", "ink", "jam", "kiwi", "lemon"};
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                text += ' ';
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
                return Link("https://example.org/" + words(1), {Text(words(1 + below(3)))});
            case 5:
                return Image("pic.png", std::string("a ") + words(1), {Text(words(1))});
            default:
                return Link("https://example.org/" + words(1) + "/" + words(1),
                            {Text(words(1)), Strong{Text(words(1 + below(2)))}});
        }
    }

    // Texts and spans alternate; a break stands between two texts.
    std::vector<InlineMarkup> inlines(bool allowBreaks) {
        std::vector<InlineMarkup> children;
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
        if (depth < 2 && below(3) == 0)
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

    std::vector<BlockMarkup> blocks(std::size_t depth) {
        std::vector<BlockMarkup> blocks;
        bool lastWasList = false;
        for (std::size_t i = 1 + below(4); i > 0; --i) {
            std::size_t choice = below(depth < 2 ? 9 : 6);
            if (lastWasList && choice == 7)
                choice = 0;
            lastWasList = choice == 7;
            switch (choice) {
                case 0:
                case 1:
                    blocks.push_back(Paragraph(inlines(true)));
                    break;
                case 2:
                    blocks.push_back(
                        Heading(static_cast<std::int64_t>(1 + below(6)), inlines(false)));
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

    std::mt19937 random_;
};

// Soft breaks as spaces and adjacent texts joined, so that trees differing only in where their
// lines end compare equal.
class TextJoiner : public SoftBreakDeleter {
  public:
    std::optional<Markup> defaultVisit(const Markup& markup) override {
        std::vector<Markup> kept;
        for (Markup child : markup.children()) {
            auto result = visit(std::move(child));
            if (!result)
                continue;
            auto text = result->as<Text>();
            auto previous = kept.empty() ? std::nullopt : kept.back().as<Text>();
            if (text && previous)
                kept.back() = Text(previous->string() + text->string());
            else
                kept.push_back(std::move(*result));
        }
        return markup.withUncheckedChildren(kept);
    }
};

Markup joined(const Markup& tree) {
    TextJoiner joiner;
    return *joiner.visit(tree);
}

// Without a limit the tree reads back exactly; with one, equal once soft breaks are spaces.
// Either way, formatting the reread tree gives the same text.
TEST(RoundTripTest, GeneratedTreesReadBackUnchangedAtEveryLineLimit) {
    for (std::int64_t limit : {0, 1, 10, 23, 40, 80}) {
        const Options options = limit == 0 ? Options() : withLineLimit(limit);
        for (unsigned seed = 1; seed <= 300; ++seed) {
            const Document tree = TreeGenerator(seed).document();
            const std::string text = format(tree, options);
            const Document reread = parseDocument(text);
            const Markup expected = limit == 0 ? Markup(tree) : joined(tree);
            const Markup actual = limit == 0 ? Markup(reread) : joined(reread);
            ASSERT_TRUE(actual.hasSameStructure(expected))
                << "limit " << limit << ", seed " << seed << "\n"
                << text << "\n---\n"
                << debugDescription(expected) << "\n---\n"
                << debugDescription(actual);
            EXPECT_EQ(format(reread, options), text) << "limit " << limit << ", seed " << seed;
        }
    }
}

}  // namespace
}  // namespace pindrake::markdown
