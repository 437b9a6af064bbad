#include "markdown/format/LineStarts.h"

#include "foundation/Ascii.h"

namespace pindrake::markdown::detail {

namespace {

bool consistsOf(std::string_view word, std::string_view characters) {
    return !word.empty() && word.find_first_not_of(characters) == std::string_view::npos;
}

bool isOrderedListMarker(std::string_view word) {
    if (word.size() < 2 || word.size() > 10 || (word.back() != '.' && word.back() != ')'))
        return false;
    word.remove_suffix(1);
    for (char c : word) {
        if (!ascii::isDigit(c))
            return false;
    }
    return true;
}

}  // namespace

bool opensBlock(std::string_view word) {
    // Line tabulations, form feeds and carriage returns are white space to the parser but do not
    // separate words here: "-\v" is a list marker.
    word = word.substr(0, word.find_last_not_of("\v\f\r") + 1);
    if (word.empty())
        return false;
    switch (word.front()) {
        case '>':
        case '<':
        case '@':
        case '\\':
            return true;
        default:
            break;
    }
    return consistsOf(word, "-*_=+") || consistsOf(word, "#") || consistsOf(word, "|:-") ||
           word.starts_with("```") || word.starts_with("~~~") || isOrderedListMarker(word);
}

bool endsInCheckbox(std::string_view line) {
    return line.ends_with("[x]") || line.ends_with("[X]") || line.ends_with("[ ]");
}

std::string_view firstWord(std::string_view text) {
    return text.substr(0, text.find_first_of(" \t\n"));
}

}  // namespace pindrake::markdown::detail
