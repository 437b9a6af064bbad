#include "clipboard/MarkdownDetection.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <memory>

namespace pindrake::clipboard {

namespace {

// Only the beginning of a long text is parsed: the answer for real texts is settled long
// before, and it bounds the parser's time and memory on hostile input (deep nesting of block
// quotes or lists costs a node per marker, and some inline constructs are quadratic).
constexpr std::size_t parsedPrefixBytes = 64 * 1024;

std::string_view boundedPrefix(std::string_view text) {
    if (text.size() <= parsedPrefixBytes)
        return text;
    // Cut after a line break, so that no block is seen cut in half.
    const auto lineEnd = text.rfind('\n', parsedPrefixBytes - 1);
    return text.substr(0, lineEnd == std::string_view::npos ? parsedPrefixBytes : lineEnd + 1);
}

}  // namespace

bool hasMarkdownBlockStructure(std::string_view text) {
    text = boundedPrefix(text);
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(CMARK_OPT_DEFAULT), &cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "tasklist"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    cmark_parser_feed(parser.get(), text.data(), text.size());
    std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parser_finish(parser.get()), &cmark_node_free);
    for (cmark_node* child = cmark_node_first_child(document.get()); child != nullptr;
         child = cmark_node_next(child)) {
        if (cmark_node_get_type(child) != CMARK_NODE_PARAGRAPH)
            return true;
    }
    return false;
}

}  // namespace pindrake::clipboard
