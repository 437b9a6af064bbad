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

class KindRecorder : public MarkupWalker {
  public:
    std::vector<std::string> seen;
    void defaultVisit(const Markup& markup) override {
        seen.emplace_back(caseName(markup.kind()));
        descendInto(markup);
    }
};

TEST(VisitorTest, WalkerVisitsInPreOrderAndAnOperationThatDoesNotDescendPrunes) {
    KindRecorder walker;
    Document{Paragraph{Text("a"), Emphasis{Text("b")}}}.accept(walker);
    EXPECT_EQ(walker.seen,
              (std::vector<std::string>{"document", "paragraph", "text", "emphasis", "text"}));

    class ParagraphSkipper : public KindRecorder {
      public:
        void visitParagraph(const Paragraph&) override { seen.emplace_back("skipped"); }
    } skipper;
    skipper.visit(Document{Paragraph{Text("a")}, Heading(1, {Text("h")})});
    EXPECT_EQ(skipper.seen, (std::vector<std::string>{"document", "skipped", "heading", "text"}));
}

TEST(VisitorTest, WalkerSeesChildrenPlacedInTheTree) {
    class Identities : public MarkupWalker {
      public:
        std::vector<std::int64_t> ids;
        std::vector<std::string> parents;
        void visitText(const Text& text) override {
            ids.push_back(text.identifier().childId);
            parents.emplace_back(caseName(text.parent()->kind()));
        }
    } walker;
    testing::parsedDocument().accept(walker);
    EXPECT_EQ(walker.ids, (std::vector<std::int64_t>{2, 3, 5}));
    EXPECT_EQ(walker.parents, (std::vector<std::string>{"paragraph", "paragraph", "heading"}));
}

TEST(VisitorTest, RewriterRemovesSoftBreaksAndKeepsTheRestInOrder) {
    class SoftBreakRemover : public MarkupRewriter {
      public:
        std::optional<Markup> visitSoftBreak(const SoftBreak&) override { return std::nullopt; }
    } remover;
    Document document{Paragraph{Text("a"), SoftBreak(), Text("b")},
                      Paragraph{SoftBreak(), Emphasis{Text("c"), SoftBreak()}}};
    auto rewritten = document.accept(remover);
    ASSERT_TRUE(rewritten);
    Document expected{Paragraph{Text("a"), Text("b")}, Paragraph{Emphasis{Text("c")}}};
    EXPECT_TRUE(rewritten->hasSameStructure(expected));
    EXPECT_EQ(document.child(0)->childCount(), 3);
}

TEST(VisitorTest, RewriterCopiesWhatItDoesNotReplaceAndMayChangeKinds) {
    class Identity : public MarkupRewriter {
    } identity;
    Document document = testing::parsedDocument();
    auto copy = document.accept(identity);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->hasSameStructure(document));
    EXPECT_NE(copy->identifier().rootId, document.identifier().rootId);
    EXPECT_EQ(copy->range(), document.range());
    EXPECT_EQ(copy->child(1)->range(), document.child(1)->range());

    class Strengthen : public MarkupRewriter {
      public:
        std::optional<Markup> visitText(const Text& text) override { return Strong{text}; }
    } strengthen;
    auto result = strengthen.visit(Document{Paragraph{Text("a")}});
    EXPECT_TRUE(result->hasSameStructure(Document{Paragraph{Strong{Text("a")}}}));
}

}  // namespace
}  // namespace pindrake::markdown
