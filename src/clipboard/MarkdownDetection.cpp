#include "clipboard/MarkdownDetection.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <memory>

namespace pindrake::clipboard {

namespace {

// Only the beginning of a long text is parsed: the answer for real texts is settled long
// before, and it bounds the parser's time and memory on hostile input (deep nesting of block
// quotes or lists costs a node per marker, and some inline constructs are quadratic).
constexpr std::size_t parsedPrefixBytes = 64 * 1024;

// The table extension is slow on wide tables: parsing a row takes time growing with the square
// of its cells, and every row gets as many cells as its table's header, so thousands of short
// rows under a header of a thousand columns make millions of nodes. Parsing stops before a line
// of more cells than a row may have (so no wider table forms) or at which the cells that tables
// could make pass the budget. Real tables stay far below both, their rows holding their cells.
constexpr std::size_t maxRowCells = 1000;
constexpr std::size_t tableCellBudget = 1 << 16;

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Where the line starting at `start` ends, after its line break ("\n", "\r" or both), or the end
// of the text; npos when it does not end within `window` bytes.
std::size_t lineEnd(std::string_view text, std::size_t start, std::size_t window) {
    const auto lineBreak = text.substr(0, window).find_first_of("\r\n", start);
    if (lineBreak == std::string_view::npos)
        return text.size() <= window ? text.size() : std::string_view::npos;
    const std::size_t end = lineBreak + (text.compare(lineBreak, 2, "\r\n") == 0 ? 2 : 1);
    return end <= window ? end : std::string_view::npos;
}

// The whole lines within the bounds, so that no line is seen cut short: a line's beginning can
// read as a thematic break or a code fence that the whole line is not.
std::string_view boundedPrefix(std::string_view text) {
    std::size_t taken = 0;
    std::size_t widestRow = 0;  // the most cells of a line since the last blank line
    std::size_t cells = 0;
    while (taken < text.size()) {
        const std::size_t end = lineEnd(text, taken, parsedPrefixBytes);
        if (end == std::string_view::npos)
            break;
        const std::string_view line = text.substr(taken, end - taken);
        const auto lineCells =
            static_cast<std::size_t>(std::count(line.begin(), line.end(), '|')) + 1;
        // A first line alone forms no table, however wide.
        if (taken > 0 && lineCells > maxRowCells)
            break;
        widestRow = isBlankLine(line) ? 0 : std::max(widestRow, lineCells);
        cells += widestRow;
        if (taken > 0 && cells > tableCellBudget)
            break;
        taken = end;
    }
    if (taken == 0 && !text.empty()) {
        // A first line longer than the limit has to be cut short, though not inside a character.
        taken = parsedPrefixBytes;
        while (taken > 0 && (static_cast<unsigned char>(text[taken]) & 0xC0) == 0x80)
            --taken;
    }
    return text.substr(0, taken);
}

}  // namespace

bool hasMarkdownBlockStructure(std::string_view text) {
    text = boundedPrefix(text);
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(CMARK_OPT_DEFAULT), &cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "tasklist"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    cmark_parser_feed(parser.get(), text.data(), text.size());
    std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parser_finish(parser.get()), &cmark_node_free);
    for (cmark_node* child = cmark_node_first_child(document.get()); child != nullptr;
         child = cmark_node_next(child)) {
        if (cmark_node_get_type(child) != CMARK_NODE_PARAGRAPH)
            return true;
    }
    return false;
}

}  // namespace pindrake::clipboard
