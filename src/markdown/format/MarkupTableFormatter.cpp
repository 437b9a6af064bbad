// Tables are written as one unit: every cell rendered on one line by a formatter of its own,
// then all columns padded to a common width so that the pipes of all rows line up.

#include <algorithm>

#include "foundation/Unicode.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/format/SoftBreakDeleter.h"
#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

using Alignment = Table::ColumnAlignment;

std::size_t characterCount(std::string_view text) {
    return unicode::graphemeCount(text);
}

// The narrowest delimiter cell that still holds a hyphen.
std::size_t minimumWidth(std::optional<Alignment> alignment) {
    if (!alignment)
        return 1;
    return *alignment == Alignment::center ? 3 : 2;
}

std::string delimiterCell(std::optional<Alignment> alignment, std::size_t width) {
    if (!alignment)
        return std::string(width, '-');
    switch (*alignment) {
        case Alignment::left:
            return ":" + std::string(width - 1, '-');
        case Alignment::center:
            return ":" + std::string(width - 2, '-') + ":";
        case Alignment::right:
            return std::string(width - 1, '-') + ":";
    }
    return std::string(width, '-');
}

// A cell's text and the number of columns it covers; 0 for a position covered from the left.
struct CellText {
    std::string text;
    std::uint64_t colspan = 1;
};

// The cells of one line padded to the widths they span, joined by pipes. A span past the last
// column is clamped to it.
std::string paddedLine(const std::vector<CellText>& cells, const std::vector<std::size_t>& widths) {
    std::string line = "|";
    for (std::size_t column = 0; column < widths.size(); ++column) {
        if (column > 0)
            line += '|';
        const CellText& cell = cells[column];
        if (cell.colspan == 0)
            continue;
        const std::size_t last = std::min<std::uint64_t>(widths.size(), column + cell.colspan);
        std::size_t target = 0;
        for (std::size_t covered = column; covered < last; ++covered) {
            target += widths[covered];
        }
        line += cell.text;
        const std::size_t length = characterCount(cell.text);
        if (target > length)
            line.append(target - length, ' ');
    }
    return line + "|";
}

}  // namespace

// Each cell is written by a formatter of its own with no line limit and no custom prefix (a
// cell must stay on one line without prefixes), and a pipe in it is escaped so that it does
// not end the cell. A cell holding only "^" is escaped too, or it would read back as covered by
// the cell above; a covered cell is written "^" by the table rule itself.
std::string MarkupFormatter::formatTableCell(const Table::Cell& cell, const Options& options) {
    TableCellBreakDeleter deleter;
    const Markup rewritten = *deleter.visit(cell.detachedFromParent());
    Options cellOptions = options;
    cellOptions.preferredLineLimit.reset();
    cellOptions.customLinePrefix.clear();
    MarkupFormatter cellFormatter(std::move(cellOptions));
    cellFormatter.emphasisCharactersInText_ = holdsEmphasisCharacter(rewritten.raw());
    cellFormatter.descendInto(rewritten);
    std::string escaped;
    escaped.reserve(cellFormatter.result().size());
    for (char c : cellFormatter.result()) {
        if (c == '|')
            escaped += '\\';
        escaped += c;
    }
    if (escaped == "^" && cell.rowspan() != 0)
        return "\\^";
    return escaped;
}

void MarkupFormatter::visitTable(const Table& table) {
    breakFromSibling(table);
    const Table::Head head = table.head();
    const Table::Body body = table.body();
    std::size_t columns = static_cast<std::size_t>(head.childCount());
    for (const Table::Row& row : body.rows()) {
        columns = std::max(columns, static_cast<std::size_t>(row.childCount()));
    }

    std::vector<CellText> headCells;
    for (const Table::Cell& cell : head.cells()) {
        headCells.push_back({formatTableCell(cell, formattingOptions), cell.colspan()});
    }
    headCells.resize(columns);
    std::vector<std::vector<CellText>> bodyCells;
    for (const Table::Row& row : body.rows()) {
        auto& cells = bodyCells.emplace_back();
        for (const Table::Cell& cell : row.cells()) {
            cells.push_back({cell.rowspan() == 0 ? "^" : formatTableCell(cell, formattingOptions),
                             cell.colspan()});
        }
        cells.resize(columns);
    }

    // Alignments beyond the widest row describe no column and are left out.
    std::vector<std::optional<Alignment>> alignments = table.columnAlignments();
    alignments.resize(columns);
    std::vector<std::size_t> widths(columns);
    for (std::size_t column = 0; column < columns; ++column) {
        widths[column] =
            std::max(minimumWidth(alignments[column]), characterCount(headCells[column].text));
        for (const auto& cells : bodyCells) {
            widths[column] = std::max(widths[column], characterCount(cells[column].text));
        }
    }

    std::vector<CellText> delimiters;
    for (std::size_t column = 0; column < columns; ++column) {
        delimiters.push_back({delimiterCell(alignments[column], widths[column])});
    }

    // The head, the body and its rows add nothing to the table's line prefix.
    auto writeLine = [&](const std::vector<CellText>& cells) {
        print(paddedLine(cells, widths), table);
        ++state_.queuedNewlines;
    };
    writeLine(headCells);
    writeLine(delimiters);
    for (const auto& cells : bodyCells) {
        writeLine(cells);
    }
}

namespace {

[[noreturn]] void stopOnTablePart(std::string_view operation) {
    stopOnMisuse("Do not call " + std::string(operation) +
                 " directly; markdown tables must be formatted as a single unit. Call "
                 "`visitTable` on the parent table");
}

}  // namespace

void MarkupFormatter::visitTableHead(const Table::Head&) {
    stopOnTablePart("visitTableHead(_:)");
}

void MarkupFormatter::visitTableBody(const Table::Body&) {
    stopOnTablePart("visitTableBody(_:)");
}

void MarkupFormatter::visitTableRow(const Table::Row&) {
    stopOnTablePart("visitTableRow(_:)");
}

void MarkupFormatter::visitTableCell(const Table::Cell&) {
    stopOnTablePart("visitTableCell(_:)");
}

}  // namespace pindrake::markdown
