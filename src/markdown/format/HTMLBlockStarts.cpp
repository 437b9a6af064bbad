#include "markdown/format/HTMLBlockStarts.h"

#include <algorithm>

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

}  // namespace

bool htmlInterruptsParagraph(std::string_view rawHTML) {
    // The formatter writes the block from its first line that is not empty.
    const std::size_t start = rawHTML.find_first_not_of('\n');
    if (start == std::string_view::npos)
        return false;
    std::string_view line = rawHTML.substr(start, rawHTML.find('\n', start) - start);
    const std::size_t indentation = line.find_first_not_of(' ');
    if (indentation > 3 || line.substr(indentation, 1) != "<")
        return false;
    line.remove_prefix(indentation + 1);
    if (line.starts_with("!--") || line.starts_with('?') || line.starts_with("![CDATA["))
        return true;
    if (line.starts_with('!'))
        return line.size() > 1 && ascii::isUpper(line[1]);
    const bool closing = line.starts_with('/');
    line.remove_prefix(closing ? 1 : 0);
    const std::size_t nameEnd =
        std::find_if_not(line.begin(), line.end(), ascii::isAlnum) - line.begin();
    const std::string name = ascii::lowered(line.substr(0, nameEnd));
    const std::string_view rest = line.substr(nameEnd);
    if (!closing && std::ranges::find(rawTextTags, name) != std::end(rawTextTags))
        return endsTagName(rest, false);
    return std::ranges::find(blockTags, name) != std::end(blockTags) && endsTagName(rest, true);
}

}  // namespace pindrake::markdown::detail
