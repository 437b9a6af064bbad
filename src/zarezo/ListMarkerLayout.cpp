#include "zarezo/ListMarkerLayout.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <memory>

#include "foundation/Ascii.h"

namespace pindrake::zarezo {
namespace {

using Layout = ListMarkerLayout;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t advanceColumn(std::size_t column, char c) {
    return c == '\t' ? column + 4 - column % 4 : column + 1;
}

// Lines end as cmark-gfm ends them: at a line feed, a carriage return, or the pair.
std::vector<Layout::Line> splitLines(std::string_view text, std::size_t begin) {
    std::vector<Layout::Line> lines;
    for (;;) {
        Layout::Line line;
        line.begin = begin;
        line.end = text.find_first_of("\r\n", begin);
        if (line.end == std::string_view::npos)
            line.end = text.size();
        line.next = line.end;
        if (line.next < text.size())
            line.next += text.compare(line.next, 2, "\r\n") == 0 ? 2 : 1;
        line.firstNonBlank = line.begin;
        while (line.firstNonBlank < line.end && isBlank(text[line.firstNonBlank])) {
            line.indent = advanceColumn(line.indent, text[line.firstNonBlank]);
            ++line.firstNonBlank;
        }
        lines.push_back(line);
        if (line.next == text.size())
            return lines;
        begin = line.next;
    }
}

// Walks the columns of one line from left to right: items nested on a line come in the order of
// their markers, so each line is walked once.
class ColumnCursor {
  public:
    explicit ColumnCursor(std::string_view text) : text_(text) {}

    std::size_t columnAt(const Layout::Line& line, std::size_t byte) {
        if (line.begin != lineBegin_ || byte < byte_) {
            lineBegin_ = line.begin;
            byte_ = line.begin;
            column_ = 0;
        }
        for (; byte_ < byte; ++byte_)
            column_ = advanceColumn(column_, text_[byte_]);
        return column_;
    }

  private:
    std::string_view text_;
    std::size_t lineBegin_ = Layout::none;
    std::size_t byte_ = 0;
    std::size_t column_ = 0;
};

std::size_t lineIndex(int cmarkLine, const std::vector<Layout::Line>& lines) {
    const auto line = static_cast<std::size_t>(cmarkLine > 0 ? cmarkLine - 1 : 0);
    return std::min(line, lines.size() - 1);
}

class LayoutReader {
  public:
    LayoutReader(std::string_view text, Layout& layout)
        : text_(text), layout_(layout), columns_(text) {}

    void enter(cmark_node* node) {
        switch (cmark_node_get_type(node)) {
            case CMARK_NODE_BLOCK_QUOTE:
                ++quoteDepth_;
                break;
            case CMARK_NODE_LIST:
                if (cmark_node_get_list_type(node) == CMARK_BULLET_LIST)
                    enterBulletList(node);
                break;
            case CMARK_NODE_ITEM:
                openItems_.push_back(layout_.items.size());
                layout_.items.push_back(item(node));
                break;
            case CMARK_NODE_CODE_BLOCK:
                markLiteralLines(node);
                break;
            default:
                break;
        }
    }

    void exit(cmark_node* node) {
        if (cmark_node_get_type(node) == CMARK_NODE_BLOCK_QUOTE)
            --quoteDepth_;
        else if (cmark_node_get_type(node) == CMARK_NODE_ITEM)
            openItems_.pop_back();
    }

  private:
    std::size_t startByte(cmark_node* node) const {
        const std::size_t line = lineIndex(cmark_node_get_start_line(node), layout_.lines);
        const auto column = static_cast<std::size_t>(cmark_node_get_start_column(node) - 1);
        return (line == 0 ? 0 : layout_.lines[line].begin) + column;
    }

    void enterBulletList(cmark_node* node) {
        const std::size_t index = layout_.lists.size();
        Layout::BulletList list;
        list.bullet = text_[startByte(node)];
        cmark_node* previous = cmark_node_previous(node);
        if (previous && cmark_node_get_type(previous) == CMARK_NODE_LIST &&
            cmark_node_get_list_type(previous) == CMARK_BULLET_LIST) {
            list.previous = reinterpret_cast<std::size_t>(cmark_node_get_user_data(previous)) - 1;
            layout_.lists[list.previous].next = index;
        }
        cmark_node_set_user_data(node, reinterpret_cast<void*>(index + 1));
        layout_.lists.push_back(list);
    }

    Layout::Item item(cmark_node* node) {
        Layout::Item item;
        item.line = lineIndex(cmark_node_get_start_line(node), layout_.lines);
        item.lastLine = lineIndex(cmark_node_get_end_line(node), layout_.lines);
        const Layout::Line& line = layout_.lines[item.line];
        item.marker = startByte(node);
        cmark_node* list = cmark_node_parent(node);
        const bool bullet = cmark_node_get_list_type(list) == CMARK_BULLET_LIST;
        item.gapBegin = item.marker + 1;
        if (!bullet) {
            while (item.gapBegin < line.end && ascii::isDigit(text_[item.gapBegin - 1]))
                ++item.gapBegin;
        }
        item.gapEnd = item.gapBegin;
        while (item.gapEnd < line.end && isBlank(text_[item.gapEnd]))
            ++item.gapEnd;
        item.column = columns_.columnAt(line, item.marker);
        const std::size_t afterMarker = columns_.columnAt(line, item.gapBegin);
        item.gapColumns = columns_.columnAt(line, item.gapEnd) - afterMarker;
        // An empty item, or one opening with indented code, has its content one column after
        // the marker.
        const bool oneColumnGap = item.isEmpty(layout_.lines) || item.gapColumns >= 5;
        item.contentColumn = afterMarker + (oneColumnGap ? 1 : item.gapColumns);
        if (bullet) {
            item.list = reinterpret_cast<std::size_t>(cmark_node_get_user_data(list)) - 1;
            item.mayMove = quoteDepth_ == 0;
            cmark_node* first = cmark_node_first_child(node);
            item.opensWithRule =
                first && cmark_node_get_type(first) == CMARK_NODE_THEMATIC_BREAK &&
                cmark_node_get_start_line(first) == cmark_node_get_start_line(node);
        }
        return item;
    }

    // The lines between the fences of a code block in list items are literal past the columns
    // that the items and the fence's indentation take.
    void markLiteralLines(cmark_node* node) {
        int length = 0, offset = 0;
        char character = 0;
        if (!cmark_node_get_fenced(node, &length, &offset, &character) || quoteDepth_ > 0 ||
            openItems_.empty())
            return;
        const std::size_t literalFrom =
            layout_.items[openItems_.back()].contentColumn + static_cast<std::size_t>(offset);
        const std::size_t first = lineIndex(cmark_node_get_start_line(node), layout_.lines) + 1;
        const std::size_t closing = lineIndex(cmark_node_get_end_line(node), layout_.lines);
        for (std::size_t line = first; line < closing; ++line)
            layout_.lines[line].literalFrom = literalFrom;
    }

    std::string_view text_;
    Layout& layout_;
    ColumnCursor columns_;
    int quoteDepth_ = 0;
    std::vector<std::size_t> openItems_;
};

using Document = std::unique_ptr<cmark_node, decltype(&cmark_node_free)>;

Document parsed(std::string_view markdown, MarkdownReading reading) {
    const std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(CMARK_OPT_DEFAULT), &cmark_parser_free);
    if (reading == MarkdownReading::gfm) {
        cmark_gfm_core_extensions_ensure_registered();
        for (const char* name : {"table", "strikethrough", "tasklist"}) {
            if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name))
                cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    return Document(cmark_parser_finish(parser.get()), &cmark_node_free);
}

}  // namespace

ListMarkerLayout readListMarkerLayout(std::string_view markdown, MarkdownReading reading) {
    Layout layout;
    // cmark-gfm skips a byte order mark: its first line starts after it, and there its columns
    // count from the mark's first byte.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    layout.lines =
        splitLines(markdown, markdown.starts_with(byteOrderMark) ? byteOrderMark.size() : 0);
    const Document document = parsed(markdown, reading);
    if (!document)
        return layout;
    const std::unique_ptr<cmark_iter, decltype(&cmark_iter_free)> iter(
        cmark_iter_new(document.get()), &cmark_iter_free);
    LayoutReader reader(markdown, layout);
    for (cmark_event_type event; (event = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        if (event == CMARK_EVENT_ENTER)
            reader.enter(cmark_iter_get_node(iter.get()));
        else
            reader.exit(cmark_iter_get_node(iter.get()));
    }
    return layout;
}

}  // namespace pindrake::zarezo
