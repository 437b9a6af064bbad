#include "markdown/parse/CmarkNodeType.h"

#include <array>
#include <cstddef>

namespace pindrake::markdown {

namespace {

constexpr std::array<std::string_view, 29> typeStrings = {
    "document",     "block_quote",  "list",        "item",           "code_block", "html_block",
    "custom_block", "paragraph",    "heading",     "thematic_break", "text",       "softbreak",
    "linebreak",    "code",         "html_inline", "custom_inline",  "emph",       "strong",
    "link",         "image",        "attribute",   "NONE",           "<unknown>",  "strikethrough",
    "table",        "table_header", "table_row",   "table_cell",     "tasklist"};

}  // namespace

std::string_view typeString(CmarkNodeType type) noexcept {
    return typeStrings[static_cast<std::size_t>(type)];
}

std::optional<CmarkNodeType> cmarkNodeTypeFromString(std::string_view typeString) noexcept {
    for (std::size_t i = 0; i < typeStrings.size(); ++i) {
        if (typeStrings[i] == typeString)
            return static_cast<CmarkNodeType>(i);
    }
    return std::nullopt;
}

}  // namespace pindrake::markdown
