#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/OptionSet.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {

// What the HTML formatter interprets beyond the tree.
struct HTMLFormatterOptions : OptionSet<HTMLFormatterOptions> {
    // A block quote that reads as an aside ("> Note: ...") becomes an aside element.
    static const HTMLFormatterOptions parseAsides;
    // The "class" member of an inline attribute text (JSON or JSON5) becomes a class attribute.
    static const HTMLFormatterOptions parseInlineAttributeClass;
};

inline constexpr HTMLFormatterOptions HTMLFormatterOptions::parseAsides{1};
inline constexpr HTMLFormatterOptions HTMLFormatterOptions::parseInlineAttributeClass{2};

// Writes a Markdown tree as an HTML fragment in one walk. Text, code and attribute values are
// escaped; raw HTML passes through unchanged.
class HTMLFormatter : public MarkupWalker {
  public:
    explicit HTMLFormatter(HTMLFormatterOptions options = {}) : options_(options) {}

    // The element and everything below it as HTML.
    static std::string format(const Markup& markup, HTMLFormatterOptions options = {});
    // A Markdown text, parsed with the default parse options, as HTML.
    static std::string format(std::string_view markdown, HTMLFormatterOptions options = {});

    const std::string& result() const noexcept { return result_; }

    void visitBlockQuote(const BlockQuote& blockQuote) override;
    void visitCodeBlock(const CodeBlock& codeBlock) override;
    void visitHeading(const Heading& heading) override;
    void visitThematicBreak(const ThematicBreak& thematicBreak) override;
    void visitHTMLBlock(const HTMLBlock& htmlBlock) override;
    void visitListItem(const ListItem& listItem) override;
    void visitOrderedList(const OrderedList& list) override;
    void visitUnorderedList(const UnorderedList& list) override;
    void visitParagraph(const Paragraph& paragraph) override;
    void visitInlineCode(const InlineCode& inlineCode) override;
    void visitEmphasis(const Emphasis& emphasis) override;
    void visitImage(const Image& image) override;
    void visitInlineHTML(const InlineHTML& inlineHTML) override;
    void visitLineBreak(const LineBreak& lineBreak) override;
    void visitLink(const Link& link) override;
    void visitSoftBreak(const SoftBreak& softBreak) override;
    void visitStrong(const Strong& strong) override;
    void visitText(const Text& text) override;
    void visitStrikethrough(const Strikethrough& strikethrough) override;
    void visitTable(const Table& table) override;
    void visitTableHead(const Table::Head& head) override;
    void visitTableBody(const Table::Body& body) override;
    void visitTableRow(const Table::Row& row) override;
    void visitTableCell(const Table::Cell& cell) override;
    void visitSymbolLink(const SymbolLink& symbolLink) override;
    void visitInlineAttributes(const InlineAttributes& inlineAttributes) override;

  private:
    void wrapChildren(const Markup& element, std::string_view open, std::string_view close);
    void writeText(std::string_view text);
    void writeAttribute(std::string_view name, std::string_view value);

    HTMLFormatterOptions options_;
    std::string result_;
    // The table being written: its alignments, whether its head is being written, and per
    // column whether a cell that later rows can span into has been written.
    std::optional<std::vector<std::optional<Table::ColumnAlignment>>> tableColumnAlignments_;
    bool inTableHead_ = false;
    std::vector<bool> columnHasRowOwner_;
};

}  // namespace pindrake::markdown
