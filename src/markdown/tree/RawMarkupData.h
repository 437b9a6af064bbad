#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "markdown/tree/DirectiveArgumentText.h"
#include "markdown/tree/MarkupKind.h"
#include "markdown/tree/SourceLocation.h"

namespace pindrake::markdown {

// The box of a task-list item.
enum class Checkbox : std::uint8_t { checked, unchecked };

// A table column's alignment; a column that states none is an absent entry.
enum class ColumnAlignment : std::uint8_t { left, center, right };

// One payload type per element kind, in kind order. Kinds without data have empty payloads.
namespace payload {

template <MarkupKind K>
struct Empty {
    static constexpr MarkupKind kind = K;
    friend bool operator==(const Empty&, const Empty&) = default;
};

struct CodeBlock {
    static constexpr MarkupKind kind = MarkupKind::codeBlock;
    std::string code;
    std::optional<std::string> language;
    friend bool operator==(const CodeBlock&, const CodeBlock&) = default;
};
struct Heading {
    static constexpr MarkupKind kind = MarkupKind::heading;
    std::int64_t level = 1;
    friend bool operator==(const Heading&, const Heading&) = default;
};
struct HTMLBlock {
    static constexpr MarkupKind kind = MarkupKind::htmlBlock;
    std::string html;
    friend bool operator==(const HTMLBlock&, const HTMLBlock&) = default;
};
struct ListItem {
    static constexpr MarkupKind kind = MarkupKind::listItem;
    std::optional<Checkbox> checkbox;
    friend bool operator==(const ListItem&, const ListItem&) = default;
};
struct OrderedList {
    static constexpr MarkupKind kind = MarkupKind::orderedList;
    std::uint64_t startIndex = 1;
    friend bool operator==(const OrderedList&, const OrderedList&) = default;
};
struct BlockDirective {
    static constexpr MarkupKind kind = MarkupKind::blockDirective;
    std::string name;
    std::optional<SourceLocation> nameLocation;
    DirectiveArgumentText arguments;
    friend bool operator==(const BlockDirective&, const BlockDirective&) = default;
};
struct InlineCode {
    static constexpr MarkupKind kind = MarkupKind::inlineCode;
    std::string code;
    friend bool operator==(const InlineCode&, const InlineCode&) = default;
};
struct CustomInline {
    static constexpr MarkupKind kind = MarkupKind::customInline;
    std::string text;
    friend bool operator==(const CustomInline&, const CustomInline&) = default;
};
struct Image {
    static constexpr MarkupKind kind = MarkupKind::image;
    std::optional<std::string> source;
    std::optional<std::string> title;
    friend bool operator==(const Image&, const Image&) = default;
};
struct InlineHTML {
    static constexpr MarkupKind kind = MarkupKind::inlineHTML;
    std::string html;
    friend bool operator==(const InlineHTML&, const InlineHTML&) = default;
};
struct Link {
    static constexpr MarkupKind kind = MarkupKind::link;
    std::optional<std::string> destination;
    std::optional<std::string> title;
    friend bool operator==(const Link&, const Link&) = default;
};
struct Text {
    static constexpr MarkupKind kind = MarkupKind::text;
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
};
struct SymbolLink {
    static constexpr MarkupKind kind = MarkupKind::symbolLink;
    std::optional<std::string> destination;
    friend bool operator==(const SymbolLink&, const SymbolLink&) = default;
};
struct InlineAttributes {
    static constexpr MarkupKind kind = MarkupKind::inlineAttributes;
    std::string attributes;
    friend bool operator==(const InlineAttributes&, const InlineAttributes&) = default;
};
struct Table {
    static constexpr MarkupKind kind = MarkupKind::table;
    std::vector<std::optional<ColumnAlignment>> columnAlignments;
    friend bool operator==(const Table&, const Table&) = default;
};
struct TableCell {
    static constexpr MarkupKind kind = MarkupKind::tableCell;
    std::uint64_t colspan = 1;
    std::uint64_t rowspan = 1;
    friend bool operator==(const TableCell&, const TableCell&) = default;
};
struct DoxygenParam {
    static constexpr MarkupKind kind = MarkupKind::doxygenParam;
    std::string name;
    friend bool operator==(const DoxygenParam&, const DoxygenParam&) = default;
};

using BlockQuote = Empty<MarkupKind::blockQuote>;
using CustomBlock = Empty<MarkupKind::customBlock>;
using Document = Empty<MarkupKind::document>;
using ThematicBreak = Empty<MarkupKind::thematicBreak>;
using UnorderedList = Empty<MarkupKind::unorderedList>;
using Paragraph = Empty<MarkupKind::paragraph>;
using Emphasis = Empty<MarkupKind::emphasis>;
using LineBreak = Empty<MarkupKind::lineBreak>;
using SoftBreak = Empty<MarkupKind::softBreak>;
using Strong = Empty<MarkupKind::strong>;
using Strikethrough = Empty<MarkupKind::strikethrough>;
using TableHead = Empty<MarkupKind::tableHead>;
using TableBody = Empty<MarkupKind::tableBody>;
using TableRow = Empty<MarkupKind::tableRow>;
using DoxygenDiscussion = Empty<MarkupKind::doxygenDiscussion>;
using DoxygenNote = Empty<MarkupKind::doxygenNote>;
using DoxygenAbstract = Empty<MarkupKind::doxygenAbstract>;
using DoxygenReturns = Empty<MarkupKind::doxygenReturns>;

}  // namespace payload

// A node's element kind with that kind's data; the alternative index is the kind.
using RawMarkupData =
    std::variant<payload::CodeBlock, payload::Heading, payload::HTMLBlock, payload::ListItem,
                 payload::OrderedList, payload::BlockDirective, payload::InlineCode,
                 payload::CustomInline, payload::Image, payload::InlineHTML, payload::Link,
                 payload::Text, payload::SymbolLink, payload::InlineAttributes, payload::Table,
                 payload::TableCell, payload::DoxygenParam, payload::BlockQuote,
                 payload::CustomBlock, payload::Document, payload::ThematicBreak,
                 payload::UnorderedList, payload::Paragraph, payload::Emphasis, payload::LineBreak,
                 payload::SoftBreak, payload::Strong, payload::Strikethrough, payload::TableHead,
                 payload::TableBody, payload::TableRow, payload::DoxygenDiscussion,
                 payload::DoxygenNote, payload::DoxygenAbstract, payload::DoxygenReturns>;

static_assert(std::variant_size_v<RawMarkupData> == markupKindCount);

template <MarkupKind K>
using PayloadOf = std::variant_alternative_t<static_cast<std::size_t>(K), RawMarkupData>;

inline MarkupKind kindOf(const RawMarkupData& data) noexcept {
    return static_cast<MarkupKind>(data.index());
}

// Calls f(std::type_identity<P>{}) with P the payload type of the kind, in constant time.
template <class F>
decltype(auto) withPayloadType(MarkupKind kind, F&& f) {
    return [&]<std::size_t... I>(std::index_sequence<I...>)->decltype(auto) {
        using Result = decltype(f(std::type_identity<PayloadOf<MarkupKind{0}>>{}));
        using Entry = Result (*)(F&);
        static constexpr Entry table[] = {[](F& g) -> Result {
            return g(std::type_identity<std::variant_alternative_t<I, RawMarkupData>>{});
        }...};
        return table[static_cast<std::size_t>(kind)](f);
    }
    (std::make_index_sequence<markupKindCount>{});
}

// The text form used in messages: the case name alone for a kind without data, otherwise the
// case name with the values in parentheses, for example heading(level: 2).
std::string describe(const RawMarkupData& data);

namespace detail {
template <std::size_t... I>
constexpr bool payloadsAreInKindOrder(std::index_sequence<I...>) {
    return ((std::variant_alternative_t<I, RawMarkupData>::kind == static_cast<MarkupKind>(I)) &&
            ...);
}
static_assert(payloadsAreInKindOrder(std::make_index_sequence<markupKindCount>{}));
}  // namespace detail

}  // namespace pindrake::markdown
