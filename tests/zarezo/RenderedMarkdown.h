#pragma once

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace pindrake::zarezo::testing {

// The two ways the application renders Markdown: cmark-gfm's core (Markdown to HTML), and with
// the GFM extensions of its Markdown library.
enum class Renderer { core, gfm };

inline std::string renderedHtml(std::string_view markdown, Renderer renderer) {
    if (renderer == Renderer::core) {
        const std::unique_ptr<char, decltype(&std::free)> html(
            cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT),
            &std::free);
        return html ? html.get() : "";
    }
    cmark_gfm_core_extensions_ensure_registered();
    const std::unique_ptr<cmark_parser, decltype(&cmark_parser_free)> parser(
        cmark_parser_new(CMARK_OPT_DEFAULT), &cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "tasklist"})
        cmark_parser_attach_syntax_extension(parser.get(), cmark_find_syntax_extension(name));
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    const std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parser_finish(parser.get()), &cmark_node_free);
    const std::unique_ptr<char, decltype(&std::free)> html(
        cmark_render_html(document.get(), CMARK_OPT_DEFAULT,
                          cmark_parser_get_syntax_extensions(parser.get())),
        &std::free);
    return html ? html.get() : "";
}

}  // namespace pindrake::zarezo::testing
