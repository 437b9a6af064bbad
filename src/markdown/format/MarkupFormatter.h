#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markdown/format/MarkupFormatterOptions.h"
#include "markdown/format/SiblingBreaks.h"
#include "markdown/tree/MarkupWalker.h"

namespace pindrake::markdown {

// Writes a Markdown tree back as Markdown text. Line breaks are queued when asked for and
// written just before the next piece of text, each followed by the line prefix of the element
// writing that text (custom prefix, block quotes, list and directive indentation), which comes
// from the element's ancestors. With a line limit, text is re-wrapped word by word,
// and a line never ends or starts where that would change what the text reads back as.
class MarkupFormatter : public MarkupWalker {
  public:
    using Options = MarkupFormatterOptions;

    struct State {
        // Characters (grapheme clusters) written so far, line breaks and prefixes included.
        std::int64_t currentLength = 0;
        // Line breaks asked for and not yet written.
        std::int64_t queuedNewlines = 0;
        // Line breaks written since the last piece of text.
        std::int64_t newlineStreak = 0;
        // Characters on the last line, its prefix included.
        std::int64_t lastLineLength = 0;
        // Line breaks the engine has written.
        std::int64_t lineNumber = 0;
        // Bytes of the result, and where the last line's content starts after its prefix:
        // restoring truncates to the byte length, as character counts of separate pieces do
        // not add up when a piece starts with a combining mark.
        std::size_t resultSize = 0;
        std::size_t lineContentStart = 0;
    };

    explicit MarkupFormatter(Options formattingOptions);

    Options formattingOptions;
    const std::string& result() const noexcept { return result_; }
    const State& state() const noexcept { return state_; }

    // Stops the process: custom elements have no Markdown form.
    void defaultVisit(const Markup& markup) override;
    // Visits the element with the line prefix of the elements around it at hand.
    void visit(Markup markup) override;

    void visitDocument(const Document& document) override;
    void visitParagraph(const Paragraph& paragraph) override;
    void visitBlockQuote(const BlockQuote& blockQuote) override;
    void visitCodeBlock(const CodeBlock& codeBlock) override;
    void visitHTMLBlock(const HTMLBlock& htmlBlock) override;
    void visitHeading(const Heading& heading) override;
    void visitThematicBreak(const ThematicBreak& thematicBreak) override;
    void visitUnorderedList(const UnorderedList& list) override;
    void visitOrderedList(const OrderedList& list) override;
    void visitListItem(const ListItem& listItem) override;
    void visitBlockDirective(const BlockDirective& blockDirective) override;
    void visitDoxygenDiscussion(const DoxygenDiscussion& command) override;
    void visitDoxygenAbstract(const DoxygenAbstract& command) override;
    void visitDoxygenNote(const DoxygenNote& command) override;
    void visitDoxygenParameter(const DoxygenParameter& command) override;
    void visitDoxygenReturns(const DoxygenReturns& command) override;
    void visitText(const Text& text) override;
    void visitInlineCode(const InlineCode& inlineCode) override;
    void visitEmphasis(const Emphasis& emphasis) override;
    void visitStrong(const Strong& strong) override;
    void visitStrikethrough(const Strikethrough& strikethrough) override;
    void visitImage(const Image& image) override;
    void visitLink(const Link& link) override;
    void visitInlineHTML(const InlineHTML& inlineHTML) override;
    void visitLineBreak(const LineBreak& lineBreak) override;
    void visitSoftBreak(const SoftBreak& softBreak) override;
    void visitSymbolLink(const SymbolLink& symbolLink) override;
    void visitInlineAttributes(const InlineAttributes& inlineAttributes) override;
    void visitTable(const Table& table) override;
    // A table is written as one unit; its parts alone are a programming error and stop.
    void visitTableHead(const Table::Head& head) override;
    void visitTableBody(const Table::Body& body) override;
    void visitTableRow(const Table::Row& row) override;
    void visitTableCell(const Table::Cell& cell) override;

    // The output engine the element rules write through.
    std::string linePrefix(const Markup& element) const;
    void flushQueuedNewlines(const Markup& element);
    void print(std::string_view text, const Markup& element);
    void ensurePrecedingNewlines(std::int64_t count);
    void softWrapText(std::string_view text, const Markup& element);
    void writeInlineUnit(const Markup& unit, const std::function<void()>& write);
    void restoreState(const State& saved);

    // The lines of a text without its leading and trailing empty lines.
    static std::vector<std::string_view> trimmedLines(std::string_view text);

    // Takes account of an element about to be formatted on its own and of its ancestors: text
    // below a heading is never wrapped, nor in a paragraph that may read back as a link
    // reference definition, and stars, underscores or "<" in its text rule out underscore emphasis.
    // The walk itself keeps track of such blocks as it enters them.
    void enterAncestorsOf(const Markup& element);
    // Whether text in the block is written as it stands, whatever the line limit.
    static bool keepsLines(const Markup& block);
    // Whether a text at or below the element holds a star, an underscore or a "<".
    static bool holdsEmphasisCharacter(const RawMarkup& element);
    // Whether a soft or hard line break stands at or below the element.
    static bool holdsBreak(const RawMarkup& element);

  private:
    // The line prefix of an element being visited: its first `length` characters of prefixes_;
    // and whether its lines are a Doxygen command's, which a blank line among them would end.
    struct VisitedPrefix {
        Markup element;
        std::size_t length;
        bool inCommandLines;
    };

    void appendOwnPrefix(std::string& prefix, const Markup* parent, const Markup& member) const;
    // Of the element being visited.
    bool inCommandLines() const noexcept;
    detail::SiblingBreak siblingBreak(const Markup& block) const;
    // Asks for the line breaks that set a block apart from the sibling before it, when it has one.
    void breakFromSibling(const Markup& block);
    void visitList(const Markup& list);
    void writeDoxygenCommand(const Markup& command, std::string_view word,
                             std::string_view parameterName = {});
    // Whether the line after the one holding `bodyStart` starts with a blank.
    bool secondLineIndented(const Markup& command, std::size_t bodyStart) const;
    bool writeHeadingSetext(const Heading& heading);
    void writeHeadingAtx(const Heading& heading, bool hasBreak);
    bool writesIndentedCode(const CodeBlock& codeBlock) const;
    std::string_view emphasisMarker(const Markup& emphasis) const;
    void writeEmphasis(const Markup& emphasis, std::uint64_t markerCount);
    void writeImage(const Image& image);
    static std::string formatTableCell(const Table::Cell& cell, const Options& options);
    bool lineLimitApplies() const noexcept;
    bool atLineStart() const noexcept;
    bool mayEndLineAfterWord() const noexcept;
    bool lineMayReadAsBlock() const noexcept;
    bool mayBreakBeforeFirstWord() const noexcept;
    bool nextSiblingMayStartLine(const Markup& element) const;
    std::int64_t bulletsEndingHere(char bullet) const noexcept;
    void breakAfterTrailingSpace();

    std::string result_;
    State state_;
    std::vector<VisitedPrefix> visitedPrefixes_;
    std::string prefixes_;
    // Inside a heading written in the one-line form, breaks become spaces.
    int oneLineHeadingDepth_ = 0;
    // Doxygen commands around the element being written.
    int commandsBeingWritten_ = 0;
    // Blocks around the element being written whose text is never wrapped.
    std::int64_t unwrappedDepth_ = 0;
    // Whether the text of the paragraph, heading or cell being written holds a star, an
    // underscore or a "<", which could pair with or take in underscore markers.
    bool emphasisCharactersInText_ = false;
    // The last code block written indented: an indented block right after it would merge.
    std::optional<MarkupIdentifier> lastIndentedCodeBlock_;
    // The last list written, and whether it took the other marker: a list of its kind right
    // after it takes the marker it did not.
    struct WrittenList {
        MarkupIdentifier list;
        bool otherMarker;
    };
    std::optional<WrittenList> lastList_;
    // Whether each list being written takes the other marker, innermost last.
    std::vector<bool> otherMarkers_;
    // The bullets written last, each with its space, side by side on one line ("- - "), and
    // where they end: a line of three of one of "-*_" and spaces reads as a thematic break.
    struct BulletRun {
        char bullet = 0;
        std::int64_t count = 0;
        std::size_t end = 0;
    };
    BulletRun bulletRun_;
};

// The element and everything below it as Markdown text. With a line limit, soft breaks are
// removed first, but in paragraphs that keep their lines; a lone soft break then formats as the
// empty string.
std::string format(const Markup& markup, const MarkupFormatterOptions& options =
                                             MarkupFormatterOptions::defaultOptions());

}  // namespace pindrake::markdown
