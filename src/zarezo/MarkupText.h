#pragma once

#include <string_view>

namespace pindrake::zarezo {

// Whether a text holds a tag, a comment or a declaration: text without one may well read the
// same as HTML and Markdown.
bool holdsMarkup(std::string_view text);

// Whether Markdown shows any text: something other than white space is left once its tags,
// comments and declarations are taken out. Markdown that shows none is no conversion of a page,
// whatever the page: the page's markup handed back, whole or in part, shows nothing either.
bool showsText(std::string_view markdown);

}  // namespace pindrake::zarezo
