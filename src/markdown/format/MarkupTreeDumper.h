#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/OptionSet.h"
#include "markdown/parse/DebugQuoted.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {

// What the dump shows besides kinds and element texts.
struct MarkupDumpOptions : OptionSet<MarkupDumpOptions> {
    static const MarkupDumpOptions printSourceLocations;
    static const MarkupDumpOptions printUniqueIdentifiers;
    static const MarkupDumpOptions printEverything;
};

inline constexpr MarkupDumpOptions MarkupDumpOptions::printSourceLocations{1};
inline constexpr MarkupDumpOptions MarkupDumpOptions::printUniqueIdentifiers{2};
inline constexpr MarkupDumpOptions MarkupDumpOptions::printEverything{3};

// Writes a tree as indented lines, one per element, drawn with box-drawing characters: the
// element's kind, optionally its range and identifiers, and a short text of its own data.
class MarkupTreeDumper : public MarkupWalker {
  public:
    explicit MarkupTreeDumper(MarkupDumpOptions options) : options_(options) {}

    const std::string& result() const noexcept { return result_; }

    void defaultVisit(const Markup& markup) override { dump(markup); }
    void visitCodeBlock(const CodeBlock& codeBlock) override;
    void visitHTMLBlock(const HTMLBlock& htmlBlock) override;
    void visitHeading(const Heading& heading) override;
    void visitListItem(const ListItem& listItem) override;
    void visitOrderedList(const OrderedList& list) override;
    void visitBlockDirective(const BlockDirective& blockDirective) override;
    void visitInlineCode(const InlineCode& inlineCode) override;
    void visitCustomInline(const CustomInline& customInline) override;
    void visitImage(const Image& image) override;
    void visitInlineHTML(const InlineHTML& inlineHTML) override;
    void visitLink(const Link& link) override;
    void visitText(const Text& text) override;
    void visitTable(const Table& table) override;
    void visitTableCell(const Table::Cell& cell) override;
    void visitSymbolLink(const SymbolLink& symbolLink) override;
    void visitInlineAttributes(const InlineAttributes& inlineAttributes) override;
    void visitDoxygenParameter(const DoxygenParameter& parameter) override;

  private:
    // The element's line, then its children's lines.
    void dump(const Markup& element, std::optional<std::string> description = std::nullopt);
    std::string indentation() const;
    // The text's non-empty lines, each under the element's children's columns.
    std::string indentLiteralBlock(std::string_view text, const Markup& element);

    MarkupDumpOptions options_;
    std::string result_;
    std::vector<Markup> path_;
};

// The element and everything below it as an indented tree.
std::string debugDescription(const Markup& markup, MarkupDumpOptions options = {});

}  // namespace pindrake::markdown
