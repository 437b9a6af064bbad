#include "markdown/format/MarkupTreeDumper.h"

namespace pindrake::markdown {

namespace {

bool isLastChild(const Markup& element) {
    auto parent = element.parent();
    return !parent || element.indexInParent() == parent->childCount() - 1;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    out += text;
    out += '"';
    return out;
}

}  // namespace

std::string debugDescription(const Markup& markup, MarkupDumpOptions options) {
    MarkupTreeDumper dumper(options);
    markup.accept(dumper);
    return dumper.result();
}

std::string MarkupTreeDumper::indentation() const {
    std::string columns;
    for (std::size_t i = 0; i < path_.size(); ++i) {
        const Markup& ancestor = path_[i];
        if (i == 0 && !ancestor.parent())
            continue;
        columns += isLastChild(ancestor) ? "   " : "│  ";
    }
    return columns;
}

void MarkupTreeDumper::dump(const Markup& element, std::optional<std::string> description) {
    if (!path_.empty())
        result_ += '\n';
    result_ += indentation();
    if (element.parent())
        result_ += isLastChild(element) ? "└─ " : "├─ ";
    result_ += elementTypeName(element.kind());
    if (options_.contains(MarkupDumpOptions::printSourceLocations) && element.range())
        result_ += " @" + element.range()->diagnosticDescription(false);
    if (options_.contains(MarkupDumpOptions::printUniqueIdentifiers)) {
        if (!element.parent())
            result_ += " Root #" + std::to_string(element.identifier().rootId);
        result_ += " #" + std::to_string(element.identifier().childId);
    }
    if (description) {
        if (description->empty() || description->front() != '\n')
            result_ += ' ';
        result_ += *description;
    }
    path_.push_back(element);
    descendInto(element);
    path_.pop_back();
}

std::string MarkupTreeDumper::indentLiteralBlock(std::string_view text, const Markup& element) {
    path_.push_back(element);
    const std::string columns = indentation();
    path_.pop_back();
    std::string block;
    auto addLine = [&](std::string_view line) {
        if (line.empty())
            return;
        if (!block.empty())
            block += '\n';
        block += columns;
        block += line;
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A carriage return before the line feed makes one character with it: no split there.
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            addLine(text.substr(start, i - start));
            start = i + 1;
        }
    }
    addLine(text.substr(start));
    return block;
}

void MarkupTreeDumper::visitCodeBlock(const CodeBlock& codeBlock) {
    dump(codeBlock, "language: " + codeBlock.language().value_or("none") + "\n" +
                        indentLiteralBlock(codeBlock.code(), codeBlock));
}

void MarkupTreeDumper::visitHTMLBlock(const HTMLBlock& htmlBlock) {
    dump(htmlBlock, "\n" + indentLiteralBlock(htmlBlock.rawHTML(), htmlBlock));
}

void MarkupTreeDumper::visitHeading(const Heading& heading) {
    dump(heading, "level: " + std::to_string(heading.level()));
}

void MarkupTreeDumper::visitListItem(const ListItem& listItem) {
    if (!listItem.checkbox()) {
        dump(listItem);
        return;
    }
    dump(listItem, *listItem.checkbox() == Checkbox::checked ? "checkbox: [x]" : "checkbox: [ ]");
}

void MarkupTreeDumper::visitOrderedList(const OrderedList& list) {
    if (list.startIndex() == 1)
        dump(list);
    else
        dump(list, "startIndex: " + std::to_string(list.startIndex()));
}

void MarkupTreeDumper::visitBlockDirective(const BlockDirective& blockDirective) {
    std::string description = "name: " + debugQuoted(blockDirective.name());
    const auto& segments = blockDirective.argumentText().segments;
    if (!segments.empty()) {
        std::string lines = "├─ Argument text segments:";
        for (const auto& segment : segments) {
            lines += "\n|    ";
            if (options_.contains(MarkupDumpOptions::printSourceLocations) && segment.range)
                lines += "@" + segment.range->diagnosticDescription(true) + ": ";
            lines += debugQuoted(segment.trimmedText());
        }
        description += "\n" + indentLiteralBlock(lines, blockDirective);
    }
    dump(blockDirective, std::move(description));
}

void MarkupTreeDumper::visitInlineCode(const InlineCode& inlineCode) {
    dump(inlineCode, "`" + inlineCode.code() + "`");
}

void MarkupTreeDumper::visitCustomInline(const CustomInline& customInline) {
    dump(customInline, customInline.text());
}

void MarkupTreeDumper::visitImage(const Image& image) {
    std::string description;
    if (image.source())
        description = "source: " + quoted(*image.source());
    if (image.title())
        description += " title: " + quoted(*image.title());
    dump(image, std::move(description));
}

void MarkupTreeDumper::visitInlineHTML(const InlineHTML& inlineHTML) {
    dump(inlineHTML, inlineHTML.rawHTML());
}

void MarkupTreeDumper::visitLink(const Link& link) {
    dump(link, link.destination() ? "destination: " + quoted(*link.destination()) : "");
}

void MarkupTreeDumper::visitText(const Text& text) {
    dump(text, quoted(text.string()));
}

void MarkupTreeDumper::visitTable(const Table& table) {
    std::string description = "alignments: |";
    for (const auto& alignment : table.columnAlignments()) {
        if (!alignment)
            description += '-';
        else if (*alignment == Table::ColumnAlignment::left)
            description += 'l';
        else if (*alignment == Table::ColumnAlignment::center)
            description += 'c';
        else
            description += 'r';
        description += '|';
    }
    if (table.columnAlignments().empty())
        description += '|';
    dump(table, std::move(description));
}

void MarkupTreeDumper::visitTableCell(const Table::Cell& cell) {
    std::string description;
    if (cell.colspan() != 1)
        description += "colspan: " + std::to_string(cell.colspan());
    if (cell.rowspan() != 1) {
        if (!description.empty())
            description += ' ';
        description += "rowspan: " + std::to_string(cell.rowspan());
    }
    if (description.empty())
        dump(cell);
    else
        dump(cell, std::move(description));
}

void MarkupTreeDumper::visitSymbolLink(const SymbolLink& symbolLink) {
    if (symbolLink.destination())
        dump(symbolLink, "destination: " + *symbolLink.destination());
    else
        dump(symbolLink);
}

void MarkupTreeDumper::visitInlineAttributes(const InlineAttributes& inlineAttributes) {
    dump(inlineAttributes, "attributes: `" + inlineAttributes.attributes() + "`");
}

void MarkupTreeDumper::visitDoxygenParameter(const DoxygenParameter& parameter) {
    dump(parameter, "parameter: " + parameter.name());
}

}  // namespace pindrake::markdown
