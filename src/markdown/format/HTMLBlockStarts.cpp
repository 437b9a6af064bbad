#include "markdown/format/HTMLBlockStarts.h"

#include <algorithm>
#include <string>

#include "foundation/Ascii.h"

namespace pindrake::markdown::detail {

namespace {

constexpr std::string_view rawTextTags[] = {"pre", "script", "style"};

constexpr std::string_view blockTags[] = {
    "address",  "article",  "aside",    "base",       "basefont", "blockquote", "body",   "caption",
    "center",   "col",      "colgroup", "dd",         "details",  "dialog",     "dir",    "div",
    "dl",       "dt",       "fieldset", "figcaption", "figure",   "footer",     "form",   "frame",
    "frameset", "h1",       "h2",       "h3",         "h4",       "h5",         "h6",     "head",
    "header",   "hr",       "html",     "iframe",     "legend",   "li",         "link",   "main",
    "menu",     "menuitem", "nav",      "noframes",   "ol",       "optgroup",   "option", "p",
    "param",    "section",  "summary",  "table",      "tbody",    "td",         "tfoot",  "th",
    "thead",    "title",    "tr",       "track",      "ul"};

bool endsTagName(std::string_view rest, bool mayClose) {
    return rest.empty() || ascii::isSpace(rest.front()) || rest.front() == '>' ||
           (mayClose && rest.starts_with("/>"));
}

// How an HTML block opens, and so what ends it: the text that closes it on a line of its own
// (comment, instruction, declaration, character data, raw-text tag), a blank line (a block
// element's tag), or nothing the parser lets interrupt a paragraph.
struct Opening {
    bool interruptsParagraph = false;
    // Empty where only a blank line ends the block; compared without case for raw-text tags.
    std::string closing;
};

Opening openingOf(std::string_view rawHTML) {
    // The formatter writes the block from its first line that is not empty.
    const std::size_t start = rawHTML.find_first_not_of('\n');
    if (start == std::string_view::npos)
        return {};
    std::string_view line = rawHTML.substr(start, rawHTML.find('\n', start) - start);
    const std::size_t indentation = line.find_first_not_of(' ');
    if (indentation > 3 || line.substr(indentation, 1) != "<")
        return {};
    line.remove_prefix(indentation + 1);
    if (line.starts_with("!--"))
        return {true, "-->"};
    if (line.starts_with('?'))
        return {true, "?>"};
    if (line.starts_with("![CDATA["))
        return {true, "]]>"};
    if (line.starts_with('!'))
        return line.size() > 1 && ascii::isUpper(line[1]) ? Opening{true, ">"} : Opening{};
    const bool closing = line.starts_with('/');
    line.remove_prefix(closing ? 1 : 0);
    const std::size_t nameEnd =
        std::find_if_not(line.begin(), line.end(), ascii::isAlnum) - line.begin();
    const std::string name = ascii::lowered(line.substr(0, nameEnd));
    const std::string_view rest = line.substr(nameEnd);
    if (!closing && std::ranges::find(rawTextTags, name) != std::end(rawTextTags))
        return endsTagName(rest, false) ? Opening{true, "</" + name + ">"} : Opening{};
    return {std::ranges::find(blockTags, name) != std::end(blockTags) && endsTagName(rest, true),
            ""};
}

}  // namespace

bool htmlInterruptsParagraph(std::string_view rawHTML) {
    return openingOf(rawHTML).interruptsParagraph;
}

bool htmlEndsWithItsLastLine(std::string_view rawHTML) {
    const std::string closing = openingOf(rawHTML).closing;
    if (closing.empty())
        return false;
    // An opening was found, so a line that is not empty was.
    const std::size_t end = rawHTML.find_last_not_of('\n') + 1;
    const std::size_t newline = rawHTML.rfind('\n', end - 1);
    const std::size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
    const std::string lastLine = ascii::lowered(rawHTML.substr(lineStart, end - lineStart));
    return lastLine.find(closing) != std::string::npos;
}

}  // namespace pindrake::markdown::detail
