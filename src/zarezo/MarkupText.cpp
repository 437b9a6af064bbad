#include "zarezo/MarkupText.h"

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::zarezo {
namespace {

constexpr auto npos = std::string_view::npos;

// Where the first tag, comment or declaration at or after `from` starts; npos when none does.
std::size_t nextMarkup(std::string_view text, std::size_t from) {
    for (auto at = text.find('<', from); at != npos && at + 1 < text.size();
         at = text.find('<', at + 1)) {
        const char next = text[at + 1];
        if (ascii::isAlpha(next) || next == '/' || next == '!' || next == '?')
            return at;
    }
    return npos;
}

}  // namespace

bool holdsMarkup(std::string_view text) {
    return nextMarkup(text, 0) != npos;
}

bool showsText(std::string_view markdown) {
    std::size_t at = 0;
    while (at < markdown.size()) {
        const std::size_t start = nextMarkup(markdown, at);
        if (!unicode::isBlank(markdown.substr(at, start == npos ? npos : start - at)))
            return true;
        if (start == npos)
            return false;
        // A comment may hold '>' and runs to the end when left open; any other markup ends at
        // its first '>', and without one it is text.
        const bool comment = markdown.substr(start, 4) == "<!--";
        const std::size_t end = comment ? markdown.find("-->", start + 4) : markdown.find('>', start);
        if (end == npos)
            return !comment;
        at = end + (comment ? 3 : 1);
    }
    return false;
}

}  // namespace pindrake::zarezo
