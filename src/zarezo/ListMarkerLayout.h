#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace pindrake::zarezo {

// How cmark-gfm reads a text: with its core alone, or with the GFM extensions that the
// application's Markdown library attaches (a table ends a paragraph's lazy lines).
enum class MarkdownReading { core, gfm };

// Where the list items of a Markdown text stand, as cmark-gfm (the renderer the application
// uses) reads it, in bytes of the text and in columns (a tab reaches the next multiple of 4).
struct ListMarkerLayout {
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    // A line's text is [begin, end); its line ending, "\n", "\r\n" or "\r", is [end, next).
    struct Line {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t next = 0;
        // Columns of its leading spaces and tabs, and the byte after them.
        std::size_t indent = 0;
        std::size_t firstNonBlank = 0;
        // Where a fenced code block in list items makes the line's text literal: the columns of
        // the item's content and the fence's own indentation; none elsewhere.
        std::size_t literalFrom = none;

        bool isBlank() const { return firstNonBlank == end; }
    };

    struct Item {
        std::size_t line = 0;
        // The last line the item holds, blank lines after it included.
        std::size_t lastLine = 0;
        // Bytes of the marker ("-", "12.") and of the gap of spaces and tabs after it.
        std::size_t marker = 0;
        std::size_t gapBegin = 0;
        std::size_t gapEnd = 0;
        // Columns of the marker, of the gap and of the item's content.
        std::size_t column = 0;
        std::size_t gapColumns = 0;
        std::size_t contentColumn = 0;
        // The bullet list the item belongs to; none for an ordered item.
        std::size_t list = none;
        // Whether nothing but lists surround the item (no quote), so that its lines may move.
        bool mayMove = false;
        // Whether the item's first block is a thematic break on the marker's line.
        bool opensWithRule = false;

        bool isEmpty(const std::vector<Line>& lines) const { return gapEnd == lines[line].end; }
    };

    struct BulletList {
        char bullet = '-';
        // The bullet list right before it, with nothing between (it would merge with the same
        // bullet), or none.
        std::size_t previous = none;
        std::size_t next = none;
    };

    std::vector<Line> lines;
    // In the order of the text: an item comes before the items nested in it.
    std::vector<Item> items;
    std::vector<BulletList> lists;
};

// Reads the layout of `markdown`. A byte order mark at its start is no text, but cmark-gfm's
// columns count its bytes, and so do these.
ListMarkerLayout readListMarkerLayout(std::string_view markdown, MarkdownReading reading);

}  // namespace pindrake::zarezo
