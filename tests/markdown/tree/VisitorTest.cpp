#include <gtest/gtest.h>

#include "TreeFixtures.h"
#include "markdown/tree/MarkupRewriter.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {
namespace {

using testing::node;

// Each operation answers its own name, so a wrong dispatch shows as a wrong name.
#define PINDRAKE_RECORD(Type, name)                 \
    std::string visit##name(const Type&) override { \
        return #name;                               \
    }

class OperationRecorder : public MarkupVisitor<std::string> {
  public:
    std::string defaultVisit(const Markup&) override { return "defaultVisit"; }
    PINDRAKE_RECORD(BlockQuote, BlockQuote)
    PINDRAKE_RECORD(CodeBlock, CodeBlock)
    PINDRAKE_RECORD(CustomBlock, CustomBlock)
    PINDRAKE_RECORD(Document, Document)
    PINDRAKE_RECORD(Heading, Heading)
    PINDRAKE_RECORD(ThematicBreak, ThematicBreak)
    PINDRAKE_RECORD(HTMLBlock, HTMLBlock)
    PINDRAKE_RECORD(ListItem, ListItem)
    PINDRAKE_RECORD(OrderedList, OrderedList)
    PINDRAKE_RECORD(UnorderedList, UnorderedList)
    PINDRAKE_RECORD(Paragraph, Paragraph)
    PINDRAKE_RECORD(BlockDirective, BlockDirective)
    PINDRAKE_RECORD(InlineCode, InlineCode)
    PINDRAKE_RECORD(CustomInline, CustomInline)
    PINDRAKE_RECORD(Emphasis, Emphasis)
    PINDRAKE_RECORD(Image, Image)
    PINDRAKE_RECORD(InlineHTML, InlineHTML)
    PINDRAKE_RECORD(LineBreak, LineBreak)
    PINDRAKE_RECORD(Link, Link)
    PINDRAKE_RECORD(SoftBreak, SoftBreak)
    PINDRAKE_RECORD(Strong, Strong)
    PINDRAKE_RECORD(Text, Text)
    PINDRAKE_RECORD(Strikethrough, Strikethrough)
    PINDRAKE_RECORD(Table, Table)
    PINDRAKE_RECORD(Table::Head, TableHead)
    PINDRAKE_RECORD(Table::Body, TableBody)
    PINDRAKE_RECORD(Table::Row, TableRow)
    PINDRAKE_RECORD(Table::Cell, TableCell)
    PINDRAKE_RECORD(SymbolLink, SymbolLink)
    PINDRAKE_RECORD(InlineAttributes, InlineAttributes)
    PINDRAKE_RECORD(DoxygenDiscussion, DoxygenDiscussion)
    PINDRAKE_RECORD(DoxygenNote, DoxygenNote)
    PINDRAKE_RECORD(DoxygenAbstract, DoxygenAbstract)
    PINDRAKE_RECORD(DoxygenParameter, DoxygenParameter)
    PINDRAKE_RECORD(DoxygenReturns, DoxygenReturns)
};

#undef PINDRAKE_RECORD

TEST(VisitorTest, EveryKindReachesItsOwnOperation) {
    // Kind order (the payload index) differs from the visit order; both are fixed.
    OperationRecorder recorder;
    std::string reached;
    for (std::size_t index = 0; index < markupKindCount; ++index) {
        auto kind = static_cast<MarkupKind>(index);
        RawMarkupData data = withPayloadType(kind, []<class P>(std::type_identity<P>) {
            return RawMarkupData(std::in_place_type<P>);
        });
        Markup element(MarkupData::makeRoot(node(std::move(data))));
        reached += element.accept(recorder) + " ";
        EXPECT_EQ(recorder.visit(element), element.accept(recorder)) << caseName(kind);
    }
    EXPECT_EQ(reached,
              "CodeBlock Heading HTMLBlock ListItem OrderedList BlockDirective InlineCode "
              "CustomInline Image InlineHTML Link Text SymbolLink InlineAttributes Table TableCell "
              "DoxygenParameter BlockQuote CustomBlock Document ThematicBreak UnorderedList "
              "Paragraph Emphasis LineBreak SoftBreak Strong Strikethrough TableHead TableBody "
              "TableRow DoxygenDiscussion DoxygenNote DoxygenAbstract DoxygenReturns ");
}

// Records each element's kind and its number in the tree it was reached in.
class KindRecorder : public MarkupWalker {
  public:
    std::vector<std::string> seen;
    void defaultVisit(const Markup& markup) override {
        seen.push_back(std::string(caseName(markup.kind())) + " " +
                       std::to_string(markup.identifier().childId));
        descendInto(markup);
    }
};

TEST(VisitorTest, WalkerVisitsInPreOrderAndAnOperationThatDoesNotDescendPrunes) {
    KindRecorder walker;
    testing::parsedDocument().accept(walker);
    EXPECT_EQ(walker.seen, (std::vector<std::string>{"document 0", "paragraph 1", "text 2",
                                                     "text 3", "heading 4", "text 5"}));

    class ParagraphSkipper : public KindRecorder {
      public:
        void visitParagraph(const Paragraph&) override { seen.emplace_back("skipped"); }
    } skipper;
    skipper.visit(testing::parsedDocument());
    EXPECT_EQ(skipper.seen,
              (std::vector<std::string>{"document 0", "skipped", "heading 4", "text 5"}));
}

TEST(VisitorTest, RewriterRemovesReplacesAndCopiesTheRestWithItsRanges) {
    class Rewriter : public MarkupRewriter {
      public:
        std::optional<Markup> visitSoftBreak(const SoftBreak&) override { return std::nullopt; }
        std::optional<Markup> visitText(const Text& text) override { return Strong{text}; }
    } rewriter;
    Document document{Paragraph{Text("a"), SoftBreak(), Text("b")},
                      Paragraph{SoftBreak(), Emphasis{Text("c"), SoftBreak()}}};
    auto rewritten = document.accept(rewriter);
    ASSERT_TRUE(rewritten);
    Document expected{Paragraph{Strong{Text("a")}, Strong{Text("b")}},
                      Paragraph{Emphasis{Strong{Text("c")}}}};
    EXPECT_TRUE(rewritten->hasSameStructure(expected));
    EXPECT_EQ(document.child(0)->childCount(), 3);

    class Identity : public MarkupRewriter {
    } identity;
    Document parsed = testing::parsedDocument();
    auto copy = parsed.accept(identity);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->hasSameStructure(parsed));
    EXPECT_NE(copy->identifier().rootId, parsed.identifier().rootId);
    EXPECT_EQ(copy->child(1)->range(), parsed.child(1)->range());
}

}  // namespace
}  // namespace pindrake::markdown
