#include "markdown/parse/CommonMarkConverter.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "markdown/parse/CmarkNodeType.h"
#include "markdown/parse/CmarkOptions.h"
#include "markdown/parse/ParseArena.h"
#include "markdown/tree/Precondition.h"
#include "markdown/tree/RawMarkup.h"

namespace pindrake::markdown {

namespace {

// The parsed cmark tree of one text. Parser, tree and iterator all live in the arena, which
// releases them at once when the parse goes: freeing them piece by piece first would only
// walk the tree again to hand each piece to an allocator that ignores it.
struct CmarkParse {
    ParseArena arena;
    cmark_parser* parser = nullptr;
    cmark_node* document = nullptr;
    cmark_iter* iterator = nullptr;

    CmarkParse(std::string_view text, ParseOptions options) {
        parser = newCmarkParser(options, arena.allocator());
        cmark_parser_feed(parser, text.data(), text.size());
        document = cmark_parser_finish(parser);
        iterator = cmark_iter_new(document);
    }
    CmarkParse(const CmarkParse&) = delete;
    CmarkParse& operator=(const CmarkParse&) = delete;
};

[[noreturn]] void stopOnUnknownType(std::string_view typeString) {
    stopOnMisuse("Unknown cmark node type '" + std::string(typeString) +
                 "' encountered during conversion");
}

CmarkNodeType nodeTypeOf(cmark_node* node) {
    // The core types are told apart by number; only extension nodes (and items, which the
    // task-list extension may own) need their type string.
    switch (cmark_node_get_type(node)) {
        case CMARK_NODE_DOCUMENT:
            return CmarkNodeType::document;
        case CMARK_NODE_BLOCK_QUOTE:
            return CmarkNodeType::blockQuote;
        case CMARK_NODE_LIST:
            return CmarkNodeType::list;
        case CMARK_NODE_CODE_BLOCK:
            return CmarkNodeType::codeBlock;
        case CMARK_NODE_HTML_BLOCK:
            return CmarkNodeType::htmlBlock;
        case CMARK_NODE_CUSTOM_BLOCK:
            return CmarkNodeType::customBlock;
        case CMARK_NODE_PARAGRAPH:
            return CmarkNodeType::paragraph;
        case CMARK_NODE_HEADING:
            return CmarkNodeType::heading;
        case CMARK_NODE_THEMATIC_BREAK:
            return CmarkNodeType::thematicBreak;
        case CMARK_NODE_TEXT:
            return CmarkNodeType::text;
        case CMARK_NODE_SOFTBREAK:
            return CmarkNodeType::softBreak;
        case CMARK_NODE_LINEBREAK:
            return CmarkNodeType::lineBreak;
        case CMARK_NODE_CODE:
            return CmarkNodeType::code;
        case CMARK_NODE_HTML_INLINE:
            return CmarkNodeType::htmlInline;
        case CMARK_NODE_CUSTOM_INLINE:
            return CmarkNodeType::customInline;
        case CMARK_NODE_EMPH:
            return CmarkNodeType::emph;
        case CMARK_NODE_STRONG:
            return CmarkNodeType::strong;
        case CMARK_NODE_LINK:
            return CmarkNodeType::link;
        case CMARK_NODE_IMAGE:
            return CmarkNodeType::image;
        case CMARK_NODE_ATTRIBUTE:
            return CmarkNodeType::attribute;
        default:
            break;
    }
    const char* name = cmark_node_get_type_string(node);
    const std::string_view typeString = name != nullptr ? name : "";
    const std::optional<CmarkNodeType> type = cmarkNodeTypeFromString(typeString);
    if (!type || *type == CmarkNodeType::none || *type == CmarkNodeType::unknown) [[unlikely]] {
        stopOnUnknownType(typeString);
    }
    return *type;
}

bool isLeaf(CmarkNodeType type) {
    switch (type) {
        case CmarkNodeType::codeBlock:
        case CmarkNodeType::htmlBlock:
        case CmarkNodeType::thematicBreak:
        case CmarkNodeType::text:
        case CmarkNodeType::softBreak:
        case CmarkNodeType::lineBreak:
        case CmarkNodeType::code:
        case CmarkNodeType::htmlInline:
            return true;
        default:
            return false;
    }
}

std::string literalOf(cmark_node* node) {
    const char* literal = cmark_node_get_literal(node);
    require(literal != nullptr, "Expected literal content for cmark node but got null pointer");
    return literal;
}

// An absent text for cmark's empty string.
std::optional<std::string> nonEmpty(const char* text) {
    require(text != nullptr, "cmark gave no link target");
    if (*text == '\0')
        return std::nullopt;
    return std::string(text);
}

std::optional<ColumnAlignment> alignmentOf(std::uint8_t byte) {
    switch (byte) {
        case 'l':
            return ColumnAlignment::left;
        case 'c':
            return ColumnAlignment::center;
        case 'r':
            return ColumnAlignment::right;
        case 0:
            return std::nullopt;
        default:
            break;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(byte));
    stopOnMisuse("Unexpected table column character for cmark table: " +
                 std::string(1, static_cast<char>(byte)) + " (0x" + hex + ")");
}

// A node that has been entered and waits for its exit.
struct OpenNode {
    cmark_node* node;
    CmarkNodeType type;
    std::optional<SourceRange> range;
    std::size_t firstChild;  // where its children start on the shared child stack
    std::int64_t headingLevel = 0;
};

class Converter {
  public:
    Converter(const Url& source, ParseOptions options, std::optional<FreshNodeToken> fresh)
        : source_(source), options_(options), fresh_(fresh) {}

    RawMarkupPtr convert(cmark_iter* iterator) {
        require(cmark_iter_next(iterator) == CMARK_EVENT_ENTER, "cmark walk starts elsewhere");
        cmark_node* root = cmark_iter_get_node(iterator);
        require(nodeTypeOf(root) == CmarkNodeType::document, "cmark walk starts elsewhere");
        open_.push_back({root, CmarkNodeType::document, rangeOf(root), 0});
        RawMarkupPtr result;
        while (!open_.empty()) {
            const cmark_event_type event = cmark_iter_next(iterator);
            cmark_node* node = cmark_iter_get_node(iterator);
            require(node != nullptr, "cmark walk ended inside a node");
            const CmarkNodeType type = nodeTypeOf(node);
            trackTable(type, event, node);
            if (event == CMARK_EVENT_ENTER) {
                if (isLeaf(type)) {
                    children_.push_back(leaf(node, type));
                } else {
                    open_.push_back({node, type, rangeOf(node), children_.size()});
                    if (type == CmarkNodeType::heading)
                        open_.back().headingLevel = cmark_node_get_heading_level(node);
                }
                continue;
            }
            require(event == CMARK_EVENT_EXIT && node == open_.back().node,
                    "cmark walk left a node it had not entered");
            OpenNode closed = open_.back();
            open_.pop_back();
            RawMarkupPtr built = finish(closed);
            children_.resize(closed.firstChild);
            if (open_.empty())
                result = std::move(built);
            else
                children_.push_back(std::move(built));
        }
        require(cmark_iter_next(iterator) == CMARK_EVENT_DONE, "cmark walk did not end");
        require(result->kind() == MarkupKind::document,
                "cmark top-level conversion didn't produce a RawMarkup.document");
        return result;
    }

  private:
    // A node just made, marked fresh when the pass is for a run of a larger document.
    RawMarkupPtr made(RawMarkupPtr node) const noexcept {
        if (fresh_)
            return FreshNodeRange::marked(*fresh_, std::move(node));
        return node;
    }

    // cmark's inclusive, 1-based positions as a half-open range; a code span's reach takes in
    // its backtick runs, which cmark leaves out.
    std::optional<SourceRange> rangeOf(cmark_node* node) const {
        const int startLine = cmark_node_get_start_line(node);
        const int startColumn = cmark_node_get_start_column(node);
        if (startLine <= 0 || startColumn <= 0)
            return std::nullopt;
        const int endLine = cmark_node_get_end_line(node);
        const int endColumn = cmark_node_get_end_column(node);
        if (endLine <= 0 || endColumn < 0)
            return std::nullopt;
        const std::int64_t ticks = cmark_node_get_backtick_count(node);
        return SourceRange::make({startLine, startColumn - ticks, source_},
                                 {endLine, endColumn + ticks + 1, source_});
    }

    RawMarkupPtr leaf(cmark_node* node, CmarkNodeType type) const {
        return made(RawMarkup::create(leafData(node, type), rangeOf(node)));
    }

    RawMarkupData leafData(cmark_node* node, CmarkNodeType type) const {
        switch (type) {
            case CmarkNodeType::codeBlock: {
                const char* info = cmark_node_get_fence_info(node);
                require(info != nullptr, "cmark gave no fence info");
                std::optional<std::string> language;
                if (*info != '\0')
                    language = info;
                return payload::CodeBlock{literalOf(node), std::move(language)};
            }
            case CmarkNodeType::htmlBlock:
                return payload::HTMLBlock{literalOf(node)};
            case CmarkNodeType::thematicBreak:
                return payload::ThematicBreak{};
            case CmarkNodeType::text:
                return payload::Text{literalOf(node)};
            case CmarkNodeType::softBreak:
                return payload::SoftBreak{};
            case CmarkNodeType::lineBreak:
                return payload::LineBreak{};
            case CmarkNodeType::code:
                if (options_.contains(ParseOptions::parseSymbolLinks) &&
                    cmark_node_get_backtick_count(node) >= 2) {
                    return payload::SymbolLink{literalOf(node)};
                }
                return payload::InlineCode{literalOf(node)};
            case CmarkNodeType::htmlInline:
                return payload::InlineHTML{literalOf(node)};
            default:
                stopOnMisuse("not a cmark leaf");
        }
    }

    std::span<const RawMarkupPtr> childrenOf(const OpenNode& open) const {
        return std::span<const RawMarkupPtr>(children_).subspan(open.firstChild);
    }

    RawMarkupPtr finish(const OpenNode& open) {
        if (open.type == CmarkNodeType::table)
            return finishTable(open);
        return made(RawMarkup::create(containerData(open), open.range, childrenOf(open)));
    }

    RawMarkupData containerData(const OpenNode& open) const {
        cmark_node* node = open.node;
        switch (open.type) {
            case CmarkNodeType::document:
                return payload::Document{};
            case CmarkNodeType::blockQuote:
                return payload::BlockQuote{};
            case CmarkNodeType::item:
                return payload::ListItem{};
            case CmarkNodeType::taskList:
                return payload::ListItem{cmark_gfm_extensions_get_tasklist_item_checked(node)
                                             ? Checkbox::checked
                                             : Checkbox::unchecked};
            case CmarkNodeType::list:
                return listData(open);
            case CmarkNodeType::customBlock:
                return payload::CustomBlock{};
            case CmarkNodeType::paragraph:
                return payload::Paragraph{};
            case CmarkNodeType::heading:
                return payload::Heading{open.headingLevel};
            case CmarkNodeType::customInline:
                return payload::CustomInline{literalOf(node)};
            case CmarkNodeType::emph:
                return payload::Emphasis{};
            case CmarkNodeType::strong:
                return payload::Strong{};
            case CmarkNodeType::strikethrough:
                return payload::Strikethrough{};
            case CmarkNodeType::link:
                return payload::Link{nonEmpty(cmark_node_get_url(node)),
                                     nonEmpty(cmark_node_get_title(node))};
            case CmarkNodeType::image:
                return payload::Image{nonEmpty(cmark_node_get_url(node)),
                                      nonEmpty(cmark_node_get_title(node))};
            case CmarkNodeType::attribute: {
                const char* attributes = cmark_node_get_attributes(node);
                require(attributes != nullptr, "cmark gave no attribute text");
                return payload::InlineAttributes{attributes};
            }
            case CmarkNodeType::tableHeader:
                requireChildren(open, MarkupKind::tableCell, "a table row holds a non-cell");
                return payload::TableHead{};
            case CmarkNodeType::tableRow:
                requireChildren(open, MarkupKind::tableCell, "a table row holds a non-cell");
                return payload::TableRow{};
            case CmarkNodeType::tableCell:
                return payload::TableCell{cmark_gfm_extensions_get_table_cell_colspan(node),
                                          cmark_gfm_extensions_get_table_cell_rowspan(node)};
            default:
                stopOnMisuse("not a cmark container");
        }
    }

    void requireChildren(const OpenNode& open, MarkupKind kind, std::string_view message) const {
        for (const RawMarkupPtr& child : childrenOf(open))
            require(child->kind() == kind, message);
    }

    RawMarkupData listData(const OpenNode& open) const {
        requireChildren(open, MarkupKind::listItem,
                        "Converted cmark list had a node other than RawMarkup.listItem");
        switch (cmark_node_get_list_type(open.node)) {
            case CMARK_ORDERED_LIST: {
                const int start = cmark_node_get_list_start(open.node);
                require(start >= 0, "cmark reported a negative list start");
                return payload::OrderedList{static_cast<std::uint64_t>(start)};
            }
            case CMARK_BULLET_LIST:
                return payload::UnorderedList{};
            default:
                stopOnMisuse("cmark reported a list node but said its list type is CMARK_NO_LIST?");
        }
    }

    // The tree's table has a head and a body; cmark's has a header row followed by rows.
    RawMarkupPtr finishTable(const OpenNode& open) {
        const std::uint16_t columns = cmark_gfm_extensions_get_table_columns(open.node);
        std::vector<std::optional<ColumnAlignment>> alignments;
        if (columns > 0) {
            const std::uint8_t* bytes = cmark_gfm_extensions_get_table_alignments(open.node);
            require(bytes != nullptr, "cmark gave a table no alignments");
            alignments.reserve(columns);
            for (std::uint16_t column = 0; column < columns; ++column)
                alignments.push_back(alignmentOf(bytes[column]));
        }
        std::span<const RawMarkupPtr> rows = childrenOf(open);
        RawMarkupPtr head;
        if (!rows.empty() && rows.front()->kind() == MarkupKind::tableHead) {
            head = rows.front();
            rows = rows.subspan(1);
        } else {
            head = made(RawMarkup::create(payload::TableHead{}, std::nullopt));
        }
        std::optional<SourceRange> bodyRange;
        if (rows.empty()) {
            require(!pendingBody_, "a table body without rows");
        } else {
            require(pendingBody_.has_value(), "table rows before the table's header");
            for (const RawMarkupPtr& row : rows)
                require(row->kind() == MarkupKind::tableRow, "a table body holds a non-row");
            bodyRange = *pendingBody_;
        }
        std::size_t widest = static_cast<std::size_t>(head->childCount());
        for (const RawMarkupPtr& row : rows)
            widest = std::max(widest, static_cast<std::size_t>(row->childCount()));
        if (widest > alignments.size())
            alignments.resize(widest);
        RawMarkupPtr body = made(RawMarkup::create(payload::TableBody{}, bodyRange, rows));
        headerSeen_ = false;
        pendingBody_.reset();
        const RawMarkupPtr parts[] = {std::move(head), std::move(body)};
        return made(RawMarkup::create(payload::Table{std::move(alignments)}, open.range, parts));
    }

    // The body's range runs from its first row's start to the table's end.
    void trackTable(CmarkNodeType type, cmark_event_type event, cmark_node* node) {
        if (type == CmarkNodeType::tableHeader && event == CMARK_EVENT_EXIT) {
            headerSeen_ = true;
        } else if (type == CmarkNodeType::tableRow && event == CMARK_EVENT_ENTER && headerSeen_ &&
                   !pendingBody_) {
            pendingBody_ = rangeOf(node);
        } else if (type == CmarkNodeType::table && event == CMARK_EVENT_EXIT && pendingBody_ &&
                   *pendingBody_) {
            if (const std::optional<SourceRange> table = rangeOf(node))
                **pendingBody_ = SourceRange((*pendingBody_)->start(), table->end());
        }
    }

    Url source_;
    ParseOptions options_;
    std::optional<FreshNodeToken> fresh_;
    std::vector<OpenNode> open_;
    std::vector<RawMarkupPtr> children_;
    bool headerSeen_ = false;
    // Present from the current table's first body row on; that row may have no range.
    std::optional<std::optional<SourceRange>> pendingBody_;
};

RawMarkupPtr convertedRoot(std::string_view text, const Url& source, ParseOptions options,
                           std::optional<FreshNodeToken> fresh) {
    CmarkParse parse(text, options);
    return Converter(source, options, fresh).convert(parse.iterator);
}

}  // namespace

Document parseWithCmark(std::string_view text, const Url& source, ParseOptions options) {
    return Document::fromRoot(convertedRoot(text, source, options, std::nullopt),
                              cmarkup_increment_and_get_unique_id());
}

RawMarkupPtr FreshCmarkRun::parse(std::string_view text, const Url& source, ParseOptions options) {
    return convertedRoot(text, source, options, FreshNodeToken());
}

}  // namespace pindrake::markdown
