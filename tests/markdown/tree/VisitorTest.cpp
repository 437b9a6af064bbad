#include <gtest/gtest.h>

#include "TreeFixtures.h"
#include "markdown/tree/MarkupRewriter.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {
namespace {

using testing::node;
using testing::span;
using testing::textNode;

// Names the operation each element reaches, and fails on defaultVisit.
class OperationRecorder : public MarkupVisitor<std::string> {
  public:
    std::string defaultVisit(const Markup&) override { return "defaultVisit"; }
    std::string visitBlockQuote(const BlockQuote&) override { return "BlockQuote"; }
    std::string visitCodeBlock(const CodeBlock&) override { return "CodeBlock"; }
    std::string visitCustomBlock(const CustomBlock&) override { return "CustomBlock"; }
    std::string visitDocument(const Document&) override { return "Document"; }
    std::string visitHeading(const Heading&) override { return "Heading"; }
    std::string visitThematicBreak(const ThematicBreak&) override { return "ThematicBreak"; }
    std::string visitHTMLBlock(const HTMLBlock&) override { return "HTMLBlock"; }
    std::string visitListItem(const ListItem&) override { return "ListItem"; }
    std::string visitOrderedList(const OrderedList&) override { return "OrderedList"; }
    std::string visitUnorderedList(const UnorderedList&) override { return "UnorderedList"; }
    std::string visitParagraph(const Paragraph&) override { return "Paragraph"; }
    std::string visitBlockDirective(const BlockDirective&) override { return "BlockDirective"; }
    std::string visitInlineCode(const InlineCode&) override { return "InlineCode"; }
    std::string visitCustomInline(const CustomInline&) override { return "CustomInline"; }
    std::string visitEmphasis(const Emphasis&) override { return "Emphasis"; }
    std::string visitImage(const Image&) override { return "Image"; }
    std::string visitInlineHTML(const InlineHTML&) override { return "InlineHTML"; }
    std::string visitLineBreak(const LineBreak&) override { return "LineBreak"; }
    std::string visitLink(const Link&) override { return "Link"; }
    std::string visitSoftBreak(const SoftBreak&) override { return "SoftBreak"; }
    std::string visitStrong(const Strong&) override { return "Strong"; }
    std::string visitText(const Text&) override { return "Text"; }
    std::string visitStrikethrough(const Strikethrough&) override { return "Strikethrough"; }
    std::string visitTable(const Table&) override { return "Table"; }
    std::string visitTableHead(const Table::Head&) override { return "TableHead"; }
    std::string visitTableBody(const Table::Body&) override { return "TableBody"; }
    std::string visitTableRow(const Table::Row&) override { return "TableRow"; }
    std::string visitTableCell(const Table::Cell&) override { return "TableCell"; }
    std::string visitSymbolLink(const SymbolLink&) override { return "SymbolLink"; }
    std::string visitInlineAttributes(const InlineAttributes&) override {
        return "InlineAttributes";
    }
    std::string visitDoxygenDiscussion(const DoxygenDiscussion&) override {
        return "DoxygenDiscussion";
    }
    std::string visitDoxygenNote(const DoxygenNote&) override { return "DoxygenNote"; }
    std::string visitDoxygenAbstract(const DoxygenAbstract&) override { return "DoxygenAbstract"; }
    std::string visitDoxygenParameter(const DoxygenParameter&) override {
        return "DoxygenParameter";
    }
    std::string visitDoxygenReturns(const DoxygenReturns&) override { return "DoxygenReturns"; }
};

TEST(VisitorTest, EveryKindReachesItsOwnOperation) {
    // Kind order (the payload index) differs from the visit order; both are fixed.
    const char* const expected[markupKindCount] = {
        "CodeBlock",
        "Heading",
        "HTMLBlock",
        "ListItem",
        "OrderedList",
        "BlockDirective",
        "InlineCode",
        "CustomInline",
        "Image",
        "InlineHTML",
        "Link",
        "Text",
        "SymbolLink",
        "InlineAttributes",
        "Table",
        "TableCell",
        "DoxygenParameter",
        "BlockQuote",
        "CustomBlock",
        "Document",
        "ThematicBreak",
        "UnorderedList",
        "Paragraph",
        "Emphasis",
        "LineBreak",
        "SoftBreak",
        "Strong",
        "Strikethrough",
        "TableHead",
        "TableBody",
        "TableRow",
        "DoxygenDiscussion",
        "DoxygenNote",
        "DoxygenAbstract",
        "DoxygenReturns",
    };
    OperationRecorder recorder;
    for (std::size_t index = 0; index < markupKindCount; ++index) {
        auto kind = static_cast<MarkupKind>(index);
        RawMarkupData data = withPayloadType(kind, []<class P>(std::type_identity<P>) {
            return RawMarkupData(std::in_place_type<P>);
        });
        Markup element(MarkupData::makeRoot(node(std::move(data))));
        EXPECT_EQ(element.accept(recorder), expected[index]) << caseName(kind);
        EXPECT_EQ(recorder.visit(element), expected[index]) << caseName(kind);
    }
}

class KindRecorder : public MarkupWalker {
  public:
    std::vector<std::string> seen;
    void defaultVisit(const Markup& markup) override {
        seen.emplace_back(caseName(markup.kind()));
        descendInto(markup);
    }
};

TEST(VisitorTest, WalkerVisitsInPreOrder) {
    Document document{Paragraph{Text("a"), Emphasis{Text("b")}}};
    KindRecorder walker;
    document.accept(walker);
    EXPECT_EQ(walker.seen,
              (std::vector<std::string>{"document", "paragraph", "text", "emphasis", "text"}));
}

TEST(VisitorTest, AnOperationThatDoesNotDescendPrunesTheWalk) {
    class ParagraphSkipper : public KindRecorder {
      public:
        void visitParagraph(const Paragraph&) override { seen.emplace_back("skipped"); }
    };
    Document document{Paragraph{Text("a")}, Heading(1, {Text("h")})};
    ParagraphSkipper walker;
    walker.visit(document);
    EXPECT_EQ(walker.seen, (std::vector<std::string>{"document", "skipped", "heading", "text"}));
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
    };
    Document document = testing::parsedDocument();
    Identities walker;
    document.accept(walker);
    EXPECT_EQ(walker.ids, (std::vector<std::int64_t>{2, 3, 5}));
    EXPECT_EQ(walker.parents, (std::vector<std::string>{"paragraph", "paragraph", "heading"}));
}

TEST(VisitorTest, RewriterRemovesSoftBreaksAndKeepsTheRestInOrder) {
    class SoftBreakRemover : public MarkupRewriter {
      public:
        std::optional<Markup> visitSoftBreak(const SoftBreak&) override { return std::nullopt; }
    };
    Document document{Paragraph{Text("a"), SoftBreak(), Text("b")},
                      Paragraph{SoftBreak(), Emphasis{Text("c"), SoftBreak()}}};
    SoftBreakRemover remover;
    auto rewritten = document.accept(remover);
    ASSERT_TRUE(rewritten);
    Document expected{Paragraph{Text("a"), Text("b")}, Paragraph{Emphasis{Text("c")}}};
    EXPECT_TRUE(rewritten->hasSameStructure(expected));
    EXPECT_EQ(document.child(0)->childCount(), 3);
}

TEST(VisitorTest, RewriterThatReplacesNothingCopiesTheTree) {
    class Identity : public MarkupRewriter {};
    Document document = testing::parsedDocument();
    Identity identity;
    auto copy = document.accept(identity);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->hasSameStructure(document));
    EXPECT_NE(copy->identifier().rootId, document.identifier().rootId);
    EXPECT_EQ(copy->range(), document.range());
    EXPECT_EQ(copy->child(1)->range(), document.child(1)->range());
}

TEST(VisitorTest, RewriterMayReturnAnotherKind) {
    class Strengthen : public MarkupRewriter {
      public:
        std::optional<Markup> visitText(const Text& text) override { return Strong{text}; }
    };
    Document document{Paragraph{Text("a")}};
    Strengthen rewriter;
    auto result = rewriter.visit(document);
    EXPECT_TRUE(result->hasSameStructure(Document{Paragraph{Strong{Text("a")}}}));
}

}  // namespace
}  // namespace pindrake::markdown
