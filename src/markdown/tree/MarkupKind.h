#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pindrake::markdown {

// The 35 element kinds. The values are fixed: they index the node payload variant and the
// dispatch tables, so the order must not change.
enum class MarkupKind : std::uint8_t {
    codeBlock = 0,
    heading = 1,
    htmlBlock = 2,
    listItem = 3,
    orderedList = 4,
    blockDirective = 5,
    inlineCode = 6,
    customInline = 7,
    image = 8,
    inlineHTML = 9,
    link = 10,
    text = 11,
    symbolLink = 12,
    inlineAttributes = 13,
    table = 14,
    tableCell = 15,
    doxygenParam = 16,
    blockQuote = 17,
    customBlock = 18,
    document = 19,
    thematicBreak = 20,
    unorderedList = 21,
    paragraph = 22,
    emphasis = 23,
    lineBreak = 24,
    softBreak = 25,
    strong = 26,
    strikethrough = 27,
    tableHead = 28,
    tableBody = 29,
    tableRow = 30,
    doxygenDiscussion = 31,
    doxygenNote = 32,
    doxygenAbstract = 33,
    doxygenReturns = 34,
};

inline constexpr std::size_t markupKindCount = 35;

// The kind's case name, such as "paragraph" or "tableCell".
std::string_view caseName(MarkupKind kind) noexcept;
// The unqualified name of the element type that wraps the kind, such as "Paragraph" or "Cell".
std::string_view elementTypeName(MarkupKind kind) noexcept;

namespace detail {
constexpr std::uint64_t kindBit(MarkupKind kind) {
    return std::uint64_t{1} << static_cast<unsigned>(kind);
}
template <class... Kinds>
constexpr std::uint64_t kindSet(Kinds... kinds) {
    return (kindBit(kinds) | ...);
}
using K = MarkupKind;
inline constexpr std::uint64_t recurringInlineKinds =
    kindSet(K::text, K::inlineHTML, K::inlineCode, K::customInline, K::lineBreak, K::softBreak,
            K::emphasis, K::strong, K::strikethrough);
inline constexpr std::uint64_t inlineKinds =
    recurringInlineKinds | kindSet(K::symbolLink, K::image, K::link, K::inlineAttributes);
inline constexpr std::uint64_t blockContainerKinds = kindSet(
    K::document, K::blockQuote, K::customBlock, K::blockDirective, K::listItem, K::doxygenAbstract,
    K::doxygenDiscussion, K::doxygenNote, K::doxygenParam, K::doxygenReturns);
inline constexpr std::uint64_t listItemContainerKinds = kindSet(K::orderedList, K::unorderedList);
inline constexpr std::uint64_t blockKinds =
    blockContainerKinds | listItemContainerKinds |
    kindSet(K::paragraph, K::heading, K::htmlBlock, K::codeBlock, K::thematicBreak, K::table);
inline constexpr std::uint64_t inlineContainerKinds =
    kindSet(K::paragraph, K::heading, K::tableCell, K::emphasis, K::strong, K::strikethrough,
            K::image, K::link, K::inlineAttributes);
inline constexpr std::uint64_t tableRowKinds = kindSet(K::tableHead, K::tableRow);
}  // namespace detail

// Which element kinds take part in which protocol. Parsers and formatters test elements
// against these sets; the typed initialisers enforce them at compile time.
constexpr bool isBlock(MarkupKind kind) {
    return detail::blockKinds & detail::kindBit(kind);
}
constexpr bool isInline(MarkupKind kind) {
    return detail::inlineKinds & detail::kindBit(kind);
}
constexpr bool isRecurringInline(MarkupKind kind) {
    return detail::recurringInlineKinds & detail::kindBit(kind);
}
constexpr bool isBlockContainer(MarkupKind kind) {
    return detail::blockContainerKinds & detail::kindBit(kind);
}
constexpr bool isListItemContainer(MarkupKind kind) {
    return detail::listItemContainerKinds & detail::kindBit(kind);
}
constexpr bool isInlineContainer(MarkupKind kind) {
    return detail::inlineContainerKinds & detail::kindBit(kind);
}
constexpr bool isTableRow(MarkupKind kind) {
    return detail::tableRowKinds & detail::kindBit(kind);
}
constexpr bool isPlainTextConvertible(MarkupKind kind) {
    return isInline(kind) || isInlineContainer(kind);
}

}  // namespace pindrake::markdown
