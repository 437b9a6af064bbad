#include "markdown/format/HTMLFormatter.h"

#include <array>
#include <cstdint>

#include "markdown/format/Json5Object.h"
#include "markdown/parse/ParseDocument.h"
#include "markdown/tree/Aside.h"

namespace pindrake::markdown {

namespace {

// Which bytes need an entity: 1 in text, 2 in attribute values (the quote as well).
constexpr std::array<std::uint8_t, 256> escapeClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    classes['&'] = classes['<'] = classes['>'] = 3;
    classes['"'] = 2;
    return classes;
}();

std::string_view entityFor(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        default:
            return "&quot;";
    }
}

// Escapes the characters that would end or open markup; in attribute values also the quote.
void appendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    const std::uint8_t mask = inAttribute ? 2 : 1;
    const char* plain = text.data();
    const char* const end = text.data() + text.size();
    for (const char* at = plain; at != end; ++at) {
        if ((escapeClasses[static_cast<unsigned char>(*at)] & mask) == 0) [[likely]]
            continue;
        out.append(plain, at);
        out += entityFor(*at);
        plain = at + 1;
    }
    out.append(plain, end);
}

std::string_view alignmentName(Table::ColumnAlignment alignment) {
    switch (alignment) {
        case Table::ColumnAlignment::left:
            return "left";
        case Table::ColumnAlignment::center:
            return "center";
        case Table::ColumnAlignment::right:
            return "right";
    }
    return "left";
}

}  // namespace

std::string HTMLFormatter::format(const Markup& markup, HTMLFormatterOptions options) {
    HTMLFormatter formatter(options);
    formatter.visit(markup);
    return std::move(formatter.result_);
}

std::string HTMLFormatter::format(std::string_view markdown, HTMLFormatterOptions options) {
    HTMLFormatter formatter(options);
    formatter.descendInto(parseDocument(markdown));
    return std::move(formatter.result_);
}

void HTMLFormatter::wrapChildren(const Markup& element, std::string_view open,
                                 std::string_view close) {
    result_ += open;
    descendInto(element);
    result_ += close;
}

void HTMLFormatter::writeText(std::string_view text) {
    appendEscaped(result_, text, false);
}

void HTMLFormatter::writeAttribute(std::string_view name, std::string_view value) {
    result_ += ' ';
    result_ += name;
    result_ += "=\"";
    appendEscaped(result_, value, true);
    result_ += '"';
}

void HTMLFormatter::visitBlockQuote(const BlockQuote& blockQuote) {
    if (options_.contains(HTMLFormatterOptions::parseAsides)) {
        if (auto aside = Aside::from(blockQuote, Aside::TagRequirement::requireSingleWordTag)) {
            result_ += "<aside";
            writeAttribute("data-kind", aside->kind.rawValue());
            result_ += ">\n";
            for (const BlockMarkup& block : aside->content) {
                visit(block);
            }
            result_ += "</aside>\n";
            return;
        }
    }
    wrapChildren(blockQuote, "<blockquote>\n", "</blockquote>\n");
}

void HTMLFormatter::visitCodeBlock(const CodeBlock& codeBlock) {
    result_ += "<pre><code";
    if (codeBlock.language())
        writeAttribute("class", "language-" + *codeBlock.language());
    result_ += '>';
    writeText(codeBlock.code());
    result_ += "</code></pre>\n";
}

void HTMLFormatter::visitHeading(const Heading& heading) {
    const std::string level = std::to_string(heading.level());
    result_ += "<h" + level + ">";
    writeText(heading.plainText());
    result_ += "</h" + level + ">\n";
}

void HTMLFormatter::visitThematicBreak(const ThematicBreak&) {
    result_ += "<hr />\n";
}

void HTMLFormatter::visitHTMLBlock(const HTMLBlock& htmlBlock) {
    result_ += htmlBlock.rawHTML();
}

void HTMLFormatter::visitListItem(const ListItem& listItem) {
    result_ += "<li>";
    if (listItem.checkbox()) {
        result_ += "<input";
        writeAttribute("type", "checkbox");
        writeAttribute("disabled", "");
        if (*listItem.checkbox() == Checkbox::checked)
            writeAttribute("checked", "");
        result_ += " /> ";
    }
    descendInto(listItem);
    result_ += "</li>\n";
}

void HTMLFormatter::visitOrderedList(const OrderedList& list) {
    result_ += "<ol";
    if (list.startIndex() != 1)
        writeAttribute("start", std::to_string(list.startIndex()));
    result_ += ">\n";
    descendInto(list);
    result_ += "</ol>\n";
}

void HTMLFormatter::visitUnorderedList(const UnorderedList& list) {
    wrapChildren(list, "<ul>\n", "</ul>\n");
}

void HTMLFormatter::visitParagraph(const Paragraph& paragraph) {
    wrapChildren(paragraph, "<p>", "</p>\n");
}

void HTMLFormatter::visitInlineCode(const InlineCode& inlineCode) {
    result_ += "<code>";
    writeText(inlineCode.code());
    result_ += "</code>";
}

void HTMLFormatter::visitEmphasis(const Emphasis& emphasis) {
    wrapChildren(emphasis, "<em>", "</em>");
}

void HTMLFormatter::visitStrong(const Strong& strong) {
    wrapChildren(strong, "<strong>", "</strong>");
}

void HTMLFormatter::visitStrikethrough(const Strikethrough& strikethrough) {
    wrapChildren(strikethrough, "<del>", "</del>");
}

// The alternative text is not written: only the source and the title.
void HTMLFormatter::visitImage(const Image& image) {
    result_ += "<img";
    if (image.source() && !image.source()->empty())
        writeAttribute("src", *image.source());
    if (image.title() && !image.title()->empty())
        writeAttribute("title", *image.title());
    result_ += " />";
}

void HTMLFormatter::visitLink(const Link& link) {
    result_ += "<a";
    if (link.destination())
        writeAttribute("href", *link.destination());
    result_ += '>';
    descendInto(link);
    result_ += "</a>";
}

void HTMLFormatter::visitInlineHTML(const InlineHTML& inlineHTML) {
    result_ += inlineHTML.rawHTML();
}

void HTMLFormatter::visitLineBreak(const LineBreak&) {
    result_ += "<br />\n";
}

void HTMLFormatter::visitSoftBreak(const SoftBreak&) {
    result_ += '\n';
}

void HTMLFormatter::visitText(const Text& text) {
    writeText(text.string());
}

void HTMLFormatter::visitSymbolLink(const SymbolLink& symbolLink) {
    if (!symbolLink.destination())
        return;
    result_ += "<code>";
    writeText(*symbolLink.destination());
    result_ += "</code>";
}

void HTMLFormatter::visitInlineAttributes(const InlineAttributes& inlineAttributes) {
    const std::string& attributes = inlineAttributes.attributes();
    result_ += "<span";
    writeAttribute("data-attributes", attributes);
    if (options_.contains(HTMLFormatterOptions::parseInlineAttributeClass)) {
        if (auto decoded = detail::json5StringMember("{" + attributes + "}", "class"))
            writeAttribute("class", *decoded);
    }
    result_ += '>';
    descendInto(inlineAttributes);
    result_ += "</span>";
}

void HTMLFormatter::visitTable(const Table& table) {
    result_ += "<table>\n";
    tableColumnAlignments_ = table.columnAlignments();
    columnHasRowOwner_.assign(static_cast<std::size_t>(table.maxColumnCount()), false);
    descendInto(table);
    tableColumnAlignments_.reset();
    result_ += "</table>\n";
}

void HTMLFormatter::visitTableHead(const Table::Head& head) {
    inTableHead_ = true;
    wrapChildren(head, "<thead>\n<tr>\n", "</tr>\n</thead>\n");
    inTableHead_ = false;
}

void HTMLFormatter::visitTableBody(const Table::Body& body) {
    if (body.childCount() == 0)
        return;
    wrapChildren(body, "<tbody>\n", "</tbody>\n");
}

void HTMLFormatter::visitTableRow(const Table::Row& row) {
    wrapChildren(row, "<tr>\n", "</tr>\n");
}

// A cell takes the alignment of its own column (its position in the row, fillers included). A
// position covered by a spanning cell writes nothing; a filler that covers nothing (a head cell
// marked as row filler, a first-column column filler) is written as an ordinary cell.
void HTMLFormatter::visitTableCell(const Table::Cell& cell) {
    if (!tableColumnAlignments_)
        return;
    const auto column = static_cast<std::size_t>(cell.indexInParent());
    if (column >= columnHasRowOwner_.size())
        columnHasRowOwner_.resize(column + 1, false);
    const bool coveredFromLeft = cell.colspan() == 0 && column > 0;
    const bool coveredFromAbove =
        cell.rowspan() == 0 && !inTableHead_ && columnHasRowOwner_[column];
    if (coveredFromLeft || coveredFromAbove)
        return;
    if (cell.rowspan() != 0)
        columnHasRowOwner_[column] = true;
    const std::string_view name = inTableHead_ ? "th" : "td";
    result_ += '<';
    result_ += name;
    if (column < tableColumnAlignments_->size() && (*tableColumnAlignments_)[column])
        writeAttribute("align", alignmentName(*(*tableColumnAlignments_)[column]));
    if (cell.rowspan() >= 2)
        writeAttribute("rowspan", std::to_string(cell.rowspan()));
    if (cell.colspan() >= 2)
        writeAttribute("colspan", std::to_string(cell.colspan()));
    result_ += '>';
    descendInto(cell);
    result_ += "</";
    result_ += name;
    result_ += ">\n";
}

}  // namespace pindrake::markdown
