#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pindrake::markdown {

// The node kinds cmark-gfm reports, named by their type strings ("NONE" for no node).
enum class CmarkNodeType : std::uint8_t {
    document,
    blockQuote,
    list,
    item,
    codeBlock,
    htmlBlock,
    customBlock,
    paragraph,
    heading,
    thematicBreak,
    text,
    softBreak,
    lineBreak,
    code,
    htmlInline,
    customInline,
    emph,
    strong,
    link,
    image,
    attribute,
    none,
    unknown,
    strikethrough,
    table,
    tableHeader,
    tableRow,
    tableCell,
    taskList,
};

std::string_view typeString(CmarkNodeType type) noexcept;
// Exact, case-sensitive match; no type for any other string.
std::optional<CmarkNodeType> cmarkNodeTypeFromString(std::string_view typeString) noexcept;

}  // namespace pindrake::markdown
