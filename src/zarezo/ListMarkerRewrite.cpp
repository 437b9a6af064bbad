#include "zarezo/ListMarkerRewrite.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace pindrake::zarezo {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t skipBlanks(std::string_view text, std::size_t from) {
    while (from < text.size() && isBlank(text[from]))
        ++from;
    return from;
}

std::size_t runLength(std::string_view text, char c) {
    std::size_t n = 0;
    while (n < text.size() && text[n] == c)
        ++n;
    return n;
}

UChar32 codePointAt(std::string_view text, std::size_t at, std::size_t* next = nullptr) {
    auto offset = static_cast<int32_t>(at);
    UChar32 c;
    U8_NEXT(text.data(), offset, static_cast<int32_t>(text.size()), c);
    if (next)
        *next = static_cast<std::size_t>(offset);
    return c;
}

bool isSpaceSeparator(UChar32 c) {
    return c >= 0 && u_charType(c) == U_SPACE_SEPARATOR;
}

// White space as regular expressions know it: tab, line feed, form feed, carriage return and
// every separator (space, line and paragraph separators).
bool isWhiteSpace(UChar32 c) {
    if (c == '\t' || c == '\n' || c == '\f' || c == '\r')
        return true;
    if (c < 0)
        return false;
    const auto type = u_charType(c);
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

// Trims spaces, tabs and other space separators from both ends.
std::string_view trimHorizontalSpace(std::string_view line) {
    std::size_t begin = 0;
    while (begin < line.size()) {
        std::size_t next;
        const UChar32 c = codePointAt(line, begin, &next);
        if (!isBlank(line[begin]) && !isSpaceSeparator(c))
            break;
        begin = next;
    }
    std::size_t end = line.size();
    while (end > begin) {
        auto offset = static_cast<int32_t>(end);
        UChar32 c;
        U8_PREV(line.data(), 0, offset, c);
        if (!isBlank(line[end - 1]) && !isSpaceSeparator(c))
            break;
        end = static_cast<std::size_t>(offset);
    }
    return line.substr(begin, end - begin);
}

bool isThematicBreak(std::string_view line) {
    std::string marks;
    for (char c : trimHorizontalSpace(line)) {
        if (!isBlank(c))
            marks.push_back(c);
    }
    if (marks.size() < 3)
        return false;
    const char first = marks.front();
    if (first != '-' && first != '*' && first != '_')
        return false;
    return marks.find_first_not_of(first) == std::string::npos;
}

}  // namespace

bool CodeFence::consume(std::string_view line) {
    const std::string_view rest = line.substr(skipBlanks(line, 0));
    if (isOpen()) {
        // Only a run of the opening character, at least as long, with nothing after it but
        // blanks, closes the block; anything else is code.
        const std::size_t run = runLength(rest, character_);
        if (run < length_ || skipBlanks(rest, run) != rest.size())
            return false;
        length_ = 0;
        return true;
    }
    if (rest.empty() || (rest.front() != '`' && rest.front() != '~'))
        return false;
    const char c = rest.front();
    const std::size_t run = runLength(rest, c);
    if (run < 3)
        return false;
    // A backtick run followed by another backtick on the line is inline code, not a fence.
    if (c == '`' && rest.find('`', run) != std::string_view::npos)
        return false;
    character_ = c;
    length_ = run;
    return true;
}

std::string rewriteBulletLine(std::string_view line, std::string_view marker, CodeFence& fence) {
    const bool wasOpen = fence.isOpen();
    if (fence.consume(line) || wasOpen)
        return std::string(line);
    if (isThematicBreak(line))
        return std::string(line);

    const std::size_t indent = runLength(line, ' ');
    if (indent > 3 || indent >= line.size())
        return std::string(line);
    const char bullet = line[indent];
    if (bullet != '*' && bullet != '+' && bullet != '-')
        return std::string(line);
    // Only a space or a tab ends a list marker: "+" and a no-break space is text. Any white
    // space may follow; it all becomes the one space after the new marker.
    if (indent + 1 >= line.size() || !isBlank(line[indent + 1]))
        return std::string(line);
    std::size_t content = indent + 1;
    while (content < line.size()) {
        std::size_t next;
        if (!isWhiteSpace(codePointAt(line, content, &next)))
            break;
        content = next;
    }
    if (content == line.size())
        return std::string(line);

    std::string rewritten;
    rewritten.reserve(line.size() + marker.size());
    rewritten.append(line.substr(0, indent)).append(marker).append(" ");
    rewritten.append(line.substr(content));
    // "*   ---" is an item holding a rule, but "- ---" reads back as a rule itself: the item
    // would be lost and its list split.
    if (isThematicBreak(rewritten))
        return std::string(line);
    return rewritten;
}

std::string postProcessMarkdown(std::string_view markdown, std::string_view bulletListMarker) {
    if (bulletListMarker != "-" && bulletListMarker != "+" && bulletListMarker != "*") {
        return std::string(markdown);
    }
    std::string result;
    result.reserve(markdown.size());
    CodeFence fence;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = markdown.find('\n', start);
        std::string_view line = markdown.substr(start, end - start);
        // A CR LF pair ends a line as a whole: its CR is no part of the line's text.
        const bool endsInCrLf = end != std::string_view::npos && line.ends_with('\r');
        if (endsInCrLf)
            line.remove_suffix(1);
        result += rewriteBulletLine(line, bulletListMarker, fence);
        if (end == std::string_view::npos)
            break;
        result += endsInCrLf ? "\r\n" : "\n";
        start = end + 1;
    }
    return result;
}

}  // namespace pindrake::zarezo
