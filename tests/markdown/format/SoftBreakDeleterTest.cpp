#include <gtest/gtest.h>

#include "markdown/format/SoftBreakDeleter.h"

namespace pindrake::markdown {
namespace {

TEST(SoftBreakDeleterTest, SoftBreaksBecomeSpacesAndNothingElseChanges) {
    const Document input{
        Paragraph{Text("a"), SoftBreak(), Emphasis{Text("b"), SoftBreak(), Text("c")}},
        Paragraph{Text("d"), LineBreak(), Text("e")}};
    const Document expected{
        Paragraph{Text("a"), Text(" "), Emphasis{Text("b"), Text(" "), Text("c")}},
        Paragraph{Text("d"), LineBreak(), Text("e")}};
    SoftBreakDeleter deleter;
    const auto rewritten = deleter.visit(input);
    ASSERT_TRUE(rewritten);
    EXPECT_TRUE(rewritten->hasSameStructure(expected));
    EXPECT_FALSE(rewritten->isIdentical(input));
    EXPECT_TRUE(rewritten->is<Document>());
}

TEST(SoftBreakDeleterTest, ALoneSoftBreakBecomesAParentlessText) {
    SoftBreakDeleter deleter;
    const auto rewritten = deleter.visit(SoftBreak());
    ASSERT_TRUE(rewritten && rewritten->is<Text>());
    EXPECT_EQ(rewritten->as<Text>()->string(), " ");
    EXPECT_FALSE(rewritten->parent());
    EXPECT_FALSE(rewritten->range());
}

TEST(SoftBreakDeleterTest, TheCellRewriteKeepsTheCellsSpans) {
    const Table::Cell cell(2, 3, {Text("a"), SoftBreak(), Text("b")});
    TableCellBreakDeleter deleter;
    const auto rewritten = deleter.visit(cell)->as<Table::Cell>();
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->colspan(), 2u);
    EXPECT_EQ(rewritten->rowspan(), 3u);
    EXPECT_TRUE(rewritten->hasSameStructure(Table::Cell(2, 3, {Text("a"), Text(" "), Text("b")})));
}

// A rewriter that drops every image, keeping the other children in order.
class ImageRemover : public MarkupRewriter {
  public:
    std::optional<Markup> visitImage(const Image&) override { return std::nullopt; }
};

TEST(SoftBreakDeleterTest, RewritersRemoveWhatTheyReturnNothingFor) {
    const Paragraph input{Text("a"), Image("s", std::nullopt, {}), Text("b")};
    ImageRemover remover;
    EXPECT_TRUE(remover.visit(input)->hasSameStructure(Paragraph{Text("a"), Text("b")}));
    EXPECT_FALSE(remover.visit(Image("s", std::nullopt, {})));
}

}  // namespace
}  // namespace pindrake::markdown
