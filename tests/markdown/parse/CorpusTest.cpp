// Every example of the GitHub-flavoured Markdown spec that ships with cmark-gfm, parsed by
// us and rendered by cmark-gfm as XML from the same cmark parse: the trees must agree node
// for node (kinds, literal text, link targets and positions). The differences we expect are
// listed with their reasons in corpus-differences.txt; an unlisted difference fails, and so
// does a listed one that no longer occurs.
#include <gtest/gtest.h>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "markdown/parse/CmarkOptions.h"
#include "markdown/GfmSpecExamples.h"
#include "markdown/parse/ParseDocument.h"
#include "support/TestFiles.h"

namespace pindrake::markdown {
namespace {

// One node as both sides describe it.
struct NodeView {
    std::string name;
    std::string position;  // "l:c-l:c", the end inclusive; "-" for none
    std::string text;      // literal text or link target and title
    friend bool operator==(const NodeView&, const NodeView&) = default;
};

std::string unescapeXml(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        const std::string_view entity = text.substr(i + 1, end - i - 1);
        out += entity == "lt" ? "<" : entity == "gt" ? ">" : entity == "amp" ? "&" : "\"";
        i = end;
    }
    return out;
}

std::string attribute(std::string_view tag, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const std::size_t at = tag.find(key);
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + key.size();
    return unescapeXml(tag.substr(start, tag.find('"', start) - start));
}

// cmark's "l:c-l:c" where the tree gives a range: positive start, an end line and an end
// column of 0 or more, and an end (exclusive) not before the start.
std::string cmarkPosition(const std::string& sourcepos) {
    int startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    if (std::sscanf(sourcepos.c_str(), "%d:%d-%d:%d", &startLine, &startColumn, &endLine,
                    &endColumn) != 4 ||
        startLine <= 0 || startColumn <= 0 || endLine <= 0 || endColumn < 0 ||
        endLine < startLine || (endLine == startLine && endColumn + 1 < startColumn)) {
        return "-";
    }
    return sourcepos;
}

// cmark's XML of the text, parsed the way we parse, as pre-order node views.
std::vector<NodeView> cmarkNodes(const std::string& markdown) {
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(cmarkOptionsFor({})), &cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "tasklist"})
        cmark_parser_attach_syntax_extension(parser.get(), cmark_find_syntax_extension(name));
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parser_finish(parser.get()), &cmark_node_free);
    std::unique_ptr<char, decltype(&free)> xml(
        cmark_render_xml(document.get(), CMARK_OPT_SOURCEPOS), &free);
    const std::string_view text = xml.get();

    std::vector<NodeView> nodes;
    std::size_t at = text.find("<document");
    while (at != std::string_view::npos && at < text.size()) {
        const std::size_t close = text.find('>', at);
        const std::string_view tag = text.substr(at, close + 1 - at);
        const std::size_t next = text.find('<', close);
        if (tag[1] != '/') {
            NodeView node;
            node.name = std::string(tag.substr(1, tag.find_first_of(" />", 1) - 1));
            node.position = cmarkPosition(attribute(tag, "sourcepos"));
            if (node.name == "link" || node.name == "image")
                node.text = attribute(tag, "destination") + "|" + attribute(tag, "title");
            else if (node.name == "attribute")
                node.text = attribute(tag, "attributes");
            else if (node.name == "list" && attribute(tag, "type") == "ordered")
                node.text = attribute(tag, "start");
            else if (node.name == "heading")
                node.text = attribute(tag, "level");
            else if (node.name == "code_block")
                node.text = attribute(tag, "info");
            if (tag.ends_with("/>") == false && text.substr(next, 2) == "</" &&
                text.substr(next + 2, node.name.size()) == node.name) {
                node.text += unescapeXml(text.substr(close + 1, next - close - 1));
            }
            nodes.push_back(std::move(node));
        }
        at = next;
    }
    return nodes;
}

std::string xmlName(const RawMarkup& node) {
    switch (node.kind()) {
        case MarkupKind::blockQuote:
            return "block_quote";
        case MarkupKind::orderedList:
        case MarkupKind::unorderedList:
            return "list";
        case MarkupKind::listItem:
            return node.payload<payload::ListItem>().checkbox ? "tasklist" : "item";
        case MarkupKind::codeBlock:
            return "code_block";
        case MarkupKind::htmlBlock:
            return "html_block";
        case MarkupKind::thematicBreak:
            return "thematic_break";
        case MarkupKind::softBreak:
            return "softbreak";
        case MarkupKind::lineBreak:
            return "linebreak";
        case MarkupKind::inlineCode:
            return "code";
        case MarkupKind::inlineHTML:
            return "html_inline";
        case MarkupKind::emphasis:
            return "emph";
        case MarkupKind::inlineAttributes:
            return "attribute";
        case MarkupKind::tableHead:
            return "table_header";
        case MarkupKind::tableRow:
            return "table_row";
        case MarkupKind::tableCell:
            return "table_cell";
        default:
            return std::string(caseName(node.kind()));
    }
}

std::string nodeText(const RawMarkup& node) {
    const auto orEmpty = [](const std::optional<std::string>& s) { return s ? *s : ""; };
    switch (node.kind()) {
        case MarkupKind::text:
            return node.payload<payload::Text>().text;
        case MarkupKind::inlineCode:
            return node.payload<payload::InlineCode>().code;
        case MarkupKind::inlineHTML:
            return node.payload<payload::InlineHTML>().html;
        case MarkupKind::htmlBlock:
            return node.payload<payload::HTMLBlock>().html;
        case MarkupKind::codeBlock: {
            const auto& block = node.payload<payload::CodeBlock>();
            return orEmpty(block.language) + block.code;
        }
        case MarkupKind::heading:
            return std::to_string(node.payload<payload::Heading>().level);
        case MarkupKind::orderedList:
            return std::to_string(node.payload<payload::OrderedList>().startIndex);
        case MarkupKind::link: {
            const auto& link = node.payload<payload::Link>();
            return orEmpty(link.destination) + "|" + orEmpty(link.title);
        }
        case MarkupKind::image: {
            const auto& image = node.payload<payload::Image>();
            return orEmpty(image.source) + "|" + orEmpty(image.title);
        }
        case MarkupKind::inlineAttributes:
            return node.payload<payload::InlineAttributes>().attributes;
        default:
            return {};
    }
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

std::vector<NodeView> ourNodes(const RawMarkup& root, const std::string& markdown) {
    std::vector<NodeView> nodes;
    std::vector<const RawMarkup*> pending{&root};
    while (!pending.empty()) {
        const RawMarkup* node = pending.back();
        pending.pop_back();
        // cmark has no body node: its rows sit in the table.
        if (node->kind() != MarkupKind::tableBody)
            nodes.push_back({xmlName(*node), ourPosition(*node, markdown), nodeText(*node)});
        const auto children = node->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
    return nodes;
}

std::string describe(const std::vector<NodeView>& nodes) {
    std::ostringstream out;
    for (const NodeView& node : nodes)
        out << node.name << " " << node.position << " \"" << node.text << "\"\n";
    return out.str();
}

// Example number -> reason, from the checked-in list ("N: reason" lines, # comments).
std::map<int, std::string> expectedDifferences() {
    std::istringstream lines(test_support::readFile(PINDRAKE_CORPUS_DIFFERENCES));
    std::map<int, std::string> expected;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        expected[std::stoi(line)] = line.substr(line.find(':') + 1);
    }
    return expected;
}

TEST(CorpusTest, TreesAgreeWithCmarkOnEverySpecExample) {
    const auto examples =
        testing::specExamples(test_support::readFile(PINDRAKE_GFM_SPEC_TEXT));
    ASSERT_GT(examples.size(), 600u);
    const std::map<int, std::string> expected = expectedDifferences();
    for (const auto& [number, markdown] : examples) {
        const auto ours = ourNodes(parseDocument(markdown).raw(), markdown);
        const auto theirs = cmarkNodes(markdown);
        const bool listed = expected.contains(number);
        if (listed) {
            EXPECT_NE(ours, theirs)
                << "example " << number << " is listed as differing but now agrees";
        } else {
            EXPECT_EQ(describe(ours), describe(theirs)) << "example " << number << ":\n"
                                                        << markdown;
        }
    }
}

}  // namespace
}  // namespace pindrake::markdown
