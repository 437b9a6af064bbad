#include "zarezo/ListMarkerRewrite.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "foundation/Ascii.h"
#include "zarezo/ListMarkerLayout.h"

namespace pindrake::zarezo {
namespace {

using Layout = ListMarkerLayout;
using Item = Layout::Item;
using Line = Layout::Line;
constexpr std::size_t none = Layout::none;

bool isBullet(const Item& item) {
    return item.list != none;
}

// cmark-gfm's thematic break, read from a list marker to the end of its line.
bool isThematicBreak(std::string_view text) {
    char mark = 0;
    std::size_t count = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if ((c != '-' && c != '*' && c != '_') || (mark && c != mark))
            return false;
        mark = c;
        ++count;
    }
    return count >= 3;
}

// A character that may open a quote or a list item, after which tabs still count columns.
bool mayOpenContainer(char c) {
    return c == '>' || c == '-' || c == '+' || c == '*' || ascii::isDigit(c);
}

// Items that are open on the line being read and whose lines move, outermost first: their
// content columns grow inwards, so the items holding a line are the first few.
class MovingItems {
  public:
    struct Entry {
        std::size_t item;
        std::size_t contentColumn;
        std::size_t shift;
        // Columns that the item's content moves, with the moves of the items around it.
        std::size_t totalShift;
    };

    void closeBefore(std::size_t line, const Layout& layout) {
        while (!entries_.empty() && layout.items[entries_.back().item].lastLine < line)
            entries_.pop_back();
    }

    void open(std::size_t item, std::size_t contentColumn, std::size_t shift) {
        const std::size_t around = entries_.empty() ? 0 : entries_.back().totalShift;
        entries_.push_back({item, contentColumn, shift, around + shift});
    }

    // How many of the open items hold a line indented by `indent` columns.
    std::size_t holding(std::size_t indent) const {
        return static_cast<std::size_t>(
            std::upper_bound(entries_.begin(), entries_.end(), indent,
                             [](std::size_t column, const Entry& entry) {
                                 return column < entry.contentColumn;
                             }) -
            entries_.begin());
    }

    // Columns that a line indented by `indent` moves.
    std::size_t shiftOf(std::size_t indent) const {
        const std::size_t count = holding(indent);
        return count == 0 ? 0 : entries_[count - 1].totalShift;
    }

    std::size_t size() const { return entries_.size(); }
    const Entry& operator[](std::size_t i) const { return entries_[i]; }

    // Whether a line indented by `indent` that no open item holds would join the first item that
    // does not hold it, once that item's content has moved left.
    bool wouldJoin(std::size_t indent) const {
        const std::size_t count = holding(indent);
        return count < entries_.size() &&
               indent + entries_[count].shift >= entries_[count].contentColumn;
    }

  private:
    std::vector<Entry> entries_;
};

// Whether a line of fenced code could close its block: a run of three or more backticks or
// tildes with nothing but blanks after it.
bool mayCloseFence(std::string_view text) {
    if (text.size() < 3 || (text[0] != '`' && text[0] != '~'))
        return false;
    const std::size_t run = std::min(text.find_first_not_of(text[0]), text.size());
    return run >= 3 && text.find_first_not_of(" \t", run) == std::string_view::npos;
}

// Whether a tab on a line that moves could change its width there, which follows the column it
// starts at: before the line's literal text, or anywhere after a start that may open a quote
// or an item. A tab in the gap of the line's last item is allowed: the gap is replaced. The
// leading blanks of a line in fenced code decide whether it closes the block.
bool tabMayChangeWidth(std::string_view text, const Line& line, const Item* lastItem) {
    const std::string_view lineText = text.substr(line.begin, line.end - line.begin);
    const std::size_t tab = lineText.find('\t');
    if (tab == std::string_view::npos)
        return false;
    if (line.literalFrom != none) {
        const std::size_t leading = line.firstNonBlank - line.begin;
        return tab < leading && (tab < line.literalFrom || mayCloseFence(lineText.substr(leading)));
    }
    std::size_t literal = line.firstNonBlank;
    if (lastItem && lastItem->gapColumns < 5)
        literal = lastItem->gapEnd;
    for (std::size_t at = line.begin + tab; at < literal; ++at) {
        const bool inGap = lastItem && at >= lastItem->gapBegin && at < lastItem->gapEnd;
        if (text[at] == '\t' && !inGap)
            return true;
    }
    return literal < line.end && mayOpenContainer(text[literal]);
}

// The items of one line, as a range of the layout's items.
struct LineItems {
    std::size_t first = 0;
    std::size_t end = 0;
    const Item* lastBullet = nullptr;
};

LineItems itemsOn(const Layout& layout, std::size_t line, std::size_t first) {
    LineItems items{first, first, nullptr};
    while (items.end < layout.items.size() && layout.items[items.end].line == line) {
        if (isBullet(layout.items[items.end]))
            items.lastBullet = &layout.items[items.end];
        ++items.end;
    }
    return items;
}

// Columns by which each bullet item's content may move left, to one space after its marker:
// none where a line would then read differently. A line that no item holds (a lazy paragraph
// line), or the line that ends the item, would join the item when indented at or past its new
// content column; a tab may change width once the line moves.
std::vector<std::size_t> itemShifts(const Layout& layout, std::string_view text) {
    std::vector<std::size_t> shifts(layout.items.size(), 0);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const Item& item = layout.items[i];
        if (isBullet(item) && item.mayMove && !item.isEmpty(layout.lines) && item.gapColumns < 5)
            shifts[i] = item.gapColumns - 1;
    }
    MovingItems open;
    // The open items below this count have been kept in place already.
    std::size_t keptBelow = 0;
    std::size_t nextItem = 0;
    for (std::size_t lineNumber = 0; lineNumber < layout.lines.size(); ++lineNumber) {
        const Line& line = layout.lines[lineNumber];
        open.closeBefore(lineNumber, layout);
        keptBelow = std::min(keptBelow, open.size());
        const LineItems here = itemsOn(layout, lineNumber, nextItem);
        nextItem = here.end;
        if (!here.lastBullet && !line.isBlank() && open.wouldJoin(line.indent))
            shifts[open[open.holding(line.indent)].item] = 0;
        bool moves = open.holding(line.indent) > 0;
        for (std::size_t i = here.first; i < here.end; ++i)
            moves = moves || shifts[i] > 0;
        if (moves && tabMayChangeWidth(text, line, here.lastBullet)) {
            for (; keptBelow < open.size(); ++keptBelow)
                shifts[open[keptBelow].item] = 0;
            std::fill(shifts.begin() + static_cast<std::ptrdiff_t>(here.first),
                      shifts.begin() + static_cast<std::ptrdiff_t>(here.end), 0);
        }
        for (std::size_t i = here.first; i < here.end; ++i) {
            const Item& item = layout.items[i];
            const std::size_t after = item.lastLine + 1;
            if (shifts[i] > 0 && after < layout.lines.size()) {
                const Line& ending = layout.lines[after];
                if (!ending.isBlank() && ending.indent < item.contentColumn &&
                    ending.indent + shifts[i] >= item.contentColumn)
                    shifts[i] = 0;
            }
            if (shifts[i] > 0)
                open.open(i, item.contentColumn, shifts[i]);
        }
    }
    return shifts;
}

// The bullet of each list: the new one, unless the list beside it would then share its bullet
// and the two would read back as one list.
std::vector<char> listBullets(const Layout& layout, char bullet) {
    std::vector<char> bullets(layout.lists.size());
    for (std::size_t i = 0; i < layout.lists.size(); ++i) {
        const auto& list = layout.lists[i];
        const bool previousTakesIt = list.previous != none && bullets[list.previous] == bullet;
        const bool nextHasIt = list.next != none && layout.lists[list.next].bullet == bullet;
        bullets[i] = previousTakesIt || nextHasIt ? list.bullet : bullet;
    }
    return bullets;
}

struct Rewrite {
    std::string text;
    // Lists whose new bullet made a marker's line read as a thematic break.
    std::vector<std::size_t> breakingLists;
    bool breaksWithoutNewBullet = false;
};

class RewriteWriter {
  public:
    RewriteWriter(const Layout& layout, std::string_view text,
                  const std::vector<std::size_t>& shifts, const std::vector<char>& bullets)
        : layout_(layout), text_(text), shifts_(shifts), bullets_(bullets) {}

    Rewrite write() {
        rewrite_.text.reserve(text_.size());
        append(0, layout_.lines.front().begin);  // a byte order mark
        std::size_t nextItem = 0;
        for (std::size_t lineNumber = 0; lineNumber < layout_.lines.size(); ++lineNumber) {
            const Line& line = layout_.lines[lineNumber];
            open_.closeBefore(lineNumber, layout_);
            const LineItems here = itemsOn(layout_, lineNumber, nextItem);
            nextItem = here.end;
            if (here.lastBullet)
                writeMarkerLine(line, here);
            else if (line.isBlank() && open_.wouldJoin(line.indent))
                writeBlankOutside(line);
            else
                append(line.begin + open_.shiftOf(line.indent), line.end);
            append(line.end, line.next);
            for (std::size_t i = here.first; i < here.end; ++i) {
                if (shifts_[i] > 0)
                    open_.open(i, layout_.items[i].contentColumn, shifts_[i]);
            }
        }
        return std::move(rewrite_);
    }

  private:
    void append(std::size_t from, std::size_t to) {
        rewrite_.text.append(text_.substr(from, to - from));
    }

    // A blank line that the first item it is not in would take once moved stays short of that
    // item's new content column: the item gave its content nothing of the line before.
    void writeBlankOutside(const Line& line) {
        const auto& outside = open_[open_.holding(line.indent)];
        rewrite_.text.append(outside.contentColumn - outside.totalShift - 1, ' ');
    }

    void writeMarkerLine(const Line& line, const LineItems& here) {
        std::size_t from = line.begin + open_.shiftOf(line.indent);
        bool movedBefore = from > line.begin;
        std::vector<std::pair<std::size_t, std::size_t>> markers;  // (item, byte in the rewrite)
        for (std::size_t i = here.first; i < here.end; ++i) {
            const Item& item = layout_.items[i];
            if (!isBullet(item))
                continue;
            append(from, item.marker);
            markers.emplace_back(i, rewrite_.text.size());
            const char bullet = bullets_[item.list];
            rewrite_.text += bullet;
            from = item.gapBegin;
            const std::string_view gap = text_.substr(item.gapBegin, item.gapEnd - item.gapBegin);
            if (shifts_[i] > 0) {
                rewrite_.text += ' ';
                from = item.gapEnd;
                movedBefore = true;
            } else if (movedBefore && gap.find('\t') != std::string_view::npos &&
                       item.gapColumns < 5) {
                // The tab would reach another column now: the gap keeps its width in spaces.
                rewrite_.text.append(item.gapColumns, ' ');
                from = item.gapEnd;
            }
            if (item.opensWithRule && text_[item.gapEnd] == bullet) {
                append(from, item.gapEnd);
                rewrite_.text += bullet == '-' ? "***" : "---";
                from = line.end;
            }
        }
        append(from, line.end);
        noteThematicBreaks(markers);
    }

    void noteThematicBreaks(const std::vector<std::pair<std::size_t, std::size_t>>& markers) {
        for (std::size_t k = 0; k < markers.size(); ++k) {
            if (!isThematicBreak(std::string_view(rewrite_.text).substr(markers[k].second)))
                continue;
            bool newBullet = false;
            for (std::size_t later = k; later < markers.size(); ++later) {
                const std::size_t list = layout_.items[markers[later].first].list;
                if (bullets_[list] != layout_.lists[list].bullet) {
                    rewrite_.breakingLists.push_back(list);
                    newBullet = true;
                }
            }
            rewrite_.breaksWithoutNewBullet |= !newBullet;
            return;
        }
    }

    const Layout& layout_;
    std::string_view text_;
    const std::vector<std::size_t>& shifts_;
    const std::vector<char>& bullets_;
    MovingItems open_;
    Rewrite rewrite_;
};

// The rewrite as one reading of the text sees it.
std::string rewritten(std::string_view markdown, char bullet, MarkdownReading reading) {
    const Layout layout = readListMarkerLayout(markdown, reading);
    if (layout.lists.empty())
        return std::string(markdown);
    const std::vector<std::size_t> shifts = itemShifts(layout, markdown);
    std::vector<char> bullets = listBullets(layout, bullet);
    // A list whose new bullet turns a line into a thematic break keeps its own; should a break
    // remain, every list does (the lines then hold the bullets they held).
    for (int attempt = 0;; ++attempt) {
        Rewrite rewrite = RewriteWriter(layout, markdown, shifts, bullets).write();
        const bool breaks = !rewrite.breakingLists.empty() || rewrite.breaksWithoutNewBullet;
        if (!breaks || attempt == 2)
            return std::move(rewrite.text);
        if (attempt == 0 && !rewrite.breaksWithoutNewBullet) {
            for (std::size_t list : rewrite.breakingLists)
                bullets[list] = layout.lists[list].bullet;
        } else {
            for (std::size_t list = 0; list < bullets.size(); ++list)
                bullets[list] = layout.lists[list].bullet;
        }
    }
}

}  // namespace

std::string postProcessMarkdown(std::string_view markdown, std::string_view bulletListMarker) {
    if (bulletListMarker != "-" && bulletListMarker != "+" && bulletListMarker != "*") {
        return std::string(markdown);
    }
    // The application renders Markdown both with and without the GFM extensions. Where the two
    // readings would rewrite the text differently (a table in a list item), it stays as it is.
    std::string gfm = rewritten(markdown, bulletListMarker.front(), MarkdownReading::gfm);
    if (gfm == markdown ||
        gfm != rewritten(markdown, bulletListMarker.front(), MarkdownReading::core))
        return std::string(markdown);
    return gfm;
}

}  // namespace pindrake::zarezo
