#include "clipboard/MarkdownDetection.h"

#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <memory>

#include "markdown/parse/CmarkOptions.h"

namespace pindrake::clipboard {

namespace {

// The test runs for every capture. A fixed prefix bounds its time and memory; the answer for
// real texts is settled long before.
constexpr std::size_t parsedPrefixBytes = 256 * 1024;

// Where the line starting at `from` ends, past its "\n", "\r\n" or lone "\r".
std::size_t endOfLine(std::string_view text, std::size_t from) {
    const std::size_t lineBreak = text.find_first_of("\r\n", from);
    if (lineBreak == std::string_view::npos)
        return text.size();
    const bool crlf =
        text[lineBreak] == '\r' && lineBreak + 1 < text.size() && text[lineBreak + 1] == '\n';
    return lineBreak + (crlf ? 2 : 1);
}

// The whole lines within the first parsedPrefixBytes, so that no line is seen cut short: a
// line's beginning can read as a thematic break or a code fence that the whole line is not.
std::string_view boundedPrefix(std::string_view text) {
    if (text.size() <= parsedPrefixBytes)
        return text;
    const std::size_t lineBreak = text.substr(0, parsedPrefixBytes).find_last_of("\r\n");
    if (lineBreak != std::string_view::npos)
        return text.substr(0, endOfLine(text, lineBreak));
    // A first line longer than the limit has to be cut short, though not inside a character.
    std::size_t taken = parsedPrefixBytes;
    while (taken > 0 && (static_cast<unsigned char>(text[taken]) & 0xC0) == 0x80)
        --taken;
    return text.substr(0, taken);
}

bool standsForMarkdown(cmark_node* topLevelBlock) {
    return topLevelBlock != nullptr && cmark_node_get_type(topLevelBlock) != CMARK_NODE_PARAGRAPH;
}

using CmarkParser = std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)>;

}  // namespace

// Only cmark's block pass runs, a line at a time, and it stops at the first block at the top
// that is no paragraph. Which blocks stand at the top is settled there: the inline pass, whose
// cost grows with the square of some texts (brackets, quotes under smart punctuation, raw HTML),
// never changes a block, and a block other than a paragraph never turns back into one. While
// only paragraphs stand at the top, nothing else is open, so each line costs in proportion to
// its own length. A line adds at most one block at the top, always as its last.
bool hasMarkdownBlockStructure(std::string_view text) {
    const CmarkParser parser(
        markdown::newCmarkParser(
            markdown::ParseOptions::disableSmartOpts | markdown::ParseOptions::disableSourcePosOpts,
            cmark_get_default_mem_allocator()),
        &cmark_parser_free);
    cmark_node* const document = cmark_parser_get_current_block(parser.get());
    const std::string_view prefix = boundedPrefix(text);
    for (std::size_t start = 0; start < prefix.size();) {
        const std::size_t end = endOfLine(prefix, start);
        cmark_parser_feed(parser.get(), prefix.data() + start, end - start);
        start = end;
        if (standsForMarkdown(cmark_node_last_child(document)))
            return true;
    }
    // The last line may have no line break to end it.
    cmark_parser_feed(parser.get(), "\n", 1);
    return standsForMarkdown(cmark_node_last_child(document));
}

}  // namespace pindrake::clipboard
