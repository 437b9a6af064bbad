// Every example of the GitHub-flavoured Markdown spec that ships with cmark-gfm, parsed by
// us and by cmark-gfm with the same options: the trees must agree node for node (kinds,
// positions and each node's data). The differences we expect are listed with their reasons in
// corpus-differences.txt; an unlisted difference fails, and so does a listed one that no longer
// occurs.
#include <gtest/gtest.h>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "markdown/GfmSpecExamples.h"
#include "markdown/parse/CmarkOptions.h"
#include "markdown/parse/Outline.h"
#include "markdown/parse/ParseDocument.h"
#include "support/TestFiles.h"

namespace pindrake::markdown {
namespace {

// One node as both sides describe it: cmark's kind name, "l:c-l:c" with the end inclusive or
// "-" for none, and its data as the outline labels it.
std::string nodeLine(const std::string& name, const std::string& position,
                     const std::string& text) {
    return name + " " + position + " " + text + "\n";
}

std::string orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// cmark's "l:c-l:c" where the tree gives a range: positive start, an end line and an end
// column of 0 or more, and an end (exclusive) not before the start.
std::string cmarkPosition(cmark_node* node) {
    const int startLine = cmark_node_get_start_line(node);
    const int startColumn = cmark_node_get_start_column(node);
    const int endLine = cmark_node_get_end_line(node);
    const int endColumn = cmark_node_get_end_column(node);
    if (startLine <= 0 || startColumn <= 0 || endColumn < 0 || endLine < startLine ||
        (endLine == startLine && endColumn + 1 < startColumn)) {
        return "-";
    }
    return std::to_string(startLine) + ":" + std::to_string(startColumn) + "-" +
           std::to_string(endLine) + ":" + std::to_string(endColumn);
}

// cmark's node data in the form of our outline's labels, an absent text written "-".
std::string cmarkLabel(cmark_node* node) {
    const auto quoted = [](const char* text) { return "\"" + orEmpty(text) + "\""; };
    const auto orDash = [](const char* text) {
        return text != nullptr && *text != '\0' ? std::string(text) : "-";
    };
    const std::string type = cmark_node_get_type_string(node);
    if (type == "table") {
        std::string letters;
        const std::uint8_t* alignments = cmark_gfm_extensions_get_table_alignments(node);
        for (std::uint16_t i = 0; i < cmark_gfm_extensions_get_table_columns(node); ++i)
            letters += alignments[i] == 0 ? '-' : static_cast<char>(alignments[i]);
        return "(" + letters + ")";
    }
    if (type == "table_cell") {
        return std::to_string(cmark_gfm_extensions_get_table_cell_colspan(node)) + "x" +
               std::to_string(cmark_gfm_extensions_get_table_cell_rowspan(node));
    }
    if (type == "tasklist")
        return cmark_gfm_extensions_get_tasklist_item_checked(node) ? "[x]" : "[ ]";
    switch (cmark_node_get_type(node)) {
        case CMARK_NODE_LINK:
        case CMARK_NODE_IMAGE:
            return "(" + orDash(cmark_node_get_url(node)) + "|" +
                   orDash(cmark_node_get_title(node)) + ")";
        case CMARK_NODE_ATTRIBUTE:
            return quoted(cmark_node_get_attributes(node));
        case CMARK_NODE_LIST:
            if (cmark_node_get_list_type(node) != CMARK_ORDERED_LIST)
                return "";
            return std::to_string(cmark_node_get_list_start(node));
        case CMARK_NODE_HEADING:
            return std::to_string(cmark_node_get_heading_level(node));
        case CMARK_NODE_CODE_BLOCK:
            return "(" + orDash(cmark_node_get_fence_info(node)) + ")" +
                   quoted(cmark_node_get_literal(node));
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE:
        case CMARK_NODE_HTML_BLOCK:
        case CMARK_NODE_HTML_INLINE:
            return quoted(cmark_node_get_literal(node));
        default:
            return "";
    }
}

// cmark's own tree of the text, parsed the way we parse, as pre-order node lines.
std::string cmarkNodes(const std::string& markdown) {
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(cmarkOptionsFor({})), &cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "tasklist"})
        cmark_parser_attach_syntax_extension(parser.get(), cmark_find_syntax_extension(name));
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parser_finish(parser.get()), &cmark_node_free);
    std::unique_ptr<cmark_iter, decltype(&cmark_iter_free)> walk(cmark_iter_new(document.get()),
                                                                 &cmark_iter_free);
    std::string nodes;
    for (cmark_event_type event; (event = cmark_iter_next(walk.get())) != CMARK_EVENT_DONE;) {
        cmark_node* node = cmark_iter_get_node(walk.get());
        if (event != CMARK_EVENT_ENTER)
            continue;
        nodes += nodeLine(cmark_node_get_type_string(node), cmarkPosition(node), cmarkLabel(node));
    }
    return nodes;
}

// Our kind as cmark names it.
std::string cmarkName(const RawMarkup& node) {
    static const std::map<MarkupKind, std::string> renamed = {
        {MarkupKind::blockQuote, "block_quote"}, {MarkupKind::orderedList, "list"},
        {MarkupKind::unorderedList, "list"},     {MarkupKind::codeBlock, "code_block"},
        {MarkupKind::htmlBlock, "html_block"},   {MarkupKind::thematicBreak, "thematic_break"},
        {MarkupKind::softBreak, "softbreak"},    {MarkupKind::lineBreak, "linebreak"},
        {MarkupKind::inlineCode, "code"},        {MarkupKind::inlineHTML, "html_inline"},
        {MarkupKind::emphasis, "emph"},          {MarkupKind::inlineAttributes, "attribute"},
        {MarkupKind::tableHead, "table_header"}, {MarkupKind::tableRow, "table_row"},
        {MarkupKind::tableCell, "table_cell"},
    };
    if (node.kind() == MarkupKind::listItem)
        return node.payload<payload::ListItem>().checkbox ? "tasklist" : "item";
    const auto found = renamed.find(node.kind());
    return found != renamed.end() ? found->second : std::string(caseName(node.kind()));
}

// Our range in cmark's terms: inclusive end, and a code span narrowed to its content.
std::string ourPosition(const RawMarkup& node, const std::string& markdown) {
    const auto range = node.parsedRange();
    if (!range)
        return "-";
    std::int64_t startColumn = range->start().column;
    std::int64_t endColumn = range->end().column - 1;
    if (node.kind() == MarkupKind::inlineCode) {
        // The ticks are the run at the range's start.
        std::size_t lineStart = 0;
        for (std::int64_t line = 1; line < range->start().line; ++line)
            lineStart = markdown.find_first_of("\r\n", lineStart) + 1;
        std::int64_t ticks = 0;
        while (markdown[lineStart + static_cast<std::size_t>(startColumn - 1 + ticks)] == '`')
            ++ticks;
        startColumn += ticks;
        endColumn -= ticks;
    }
    return std::to_string(range->start().line) + ":" + std::to_string(startColumn) + "-" +
           std::to_string(range->end().line) + ":" + std::to_string(endColumn);
}

std::string ourNodes(const RawMarkup& root, const std::string& markdown) {
    std::string nodes;
    for (const RawMarkup* node : testing::preorder(root)) {
        // cmark has no body node: its rows sit in the table.
        if (node->kind() != MarkupKind::tableBody)
            nodes += nodeLine(cmarkName(*node), ourPosition(*node, markdown),
                              testing::payloadLabel(node->data()));
    }
    return nodes;
}

TEST(CorpusTest, TreesAgreeWithCmarkOnEverySpecExample) {
    const auto examples = testing::specExamples(test_support::readFile(PINDRAKE_GFM_SPEC_TEXT));
    ASSERT_GT(examples.size(), 600u);
    const auto expected =
        testing::listedExamples(test_support::readFile(PINDRAKE_CORPUS_DIFFERENCES));
    for (const auto& [number, markdown] : examples) {
        const auto ours = ourNodes(parseDocument(markdown).raw(), markdown);
        const auto theirs = cmarkNodes(markdown);
        const bool listed = expected.contains(number);
        if (listed) {
            EXPECT_NE(ours, theirs)
                << "example " << number << " is listed as differing but now agrees";
        } else {
            EXPECT_EQ(ours, theirs) << "example " << number << ":\n" << markdown;
        }
    }
}

}  // namespace
}  // namespace pindrake::markdown
