#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

// Checks that the cmark-gfm built from deps/ links and works: core parsing plus the table
// extension, which must be registered and attached before it takes effect.
namespace {

struct FreeWithStdlib {
    void operator()(char* text) const { std::free(text); }
};
using CString = std::unique_ptr<char, FreeWithStdlib>;

struct ParserDeleter {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};
struct NodeDeleter {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};

std::string htmlWithTables(std::string_view markdown) {
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, ParserDeleter> parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    cmark_syntax_extension* table = cmark_find_syntax_extension("table");
    if (table == nullptr || cmark_parser_attach_syntax_extension(parser.get(), table) == 0) {
        return "table extension unavailable";
    }
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    std::unique_ptr<cmark_node, NodeDeleter> document(cmark_parser_finish(parser.get()));
    CString html(cmark_render_html(document.get(), CMARK_OPT_DEFAULT,
                                   cmark_parser_get_syntax_extensions(parser.get())));
    return html.get();
}

TEST(CmarkGfmTest, isTheExpectedVersion) {
    EXPECT_STREQ(cmark_version_string(), "0.29.0.gfm.6");
    EXPECT_STREQ(CMARK_GFM_VERSION_STRING, "0.29.0.gfm.6");
}

TEST(CmarkGfmTest, rendersCoreMarkdown) {
    const std::string_view markdown = "**x**";
    CString html(cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT));
    EXPECT_STREQ(html.get(), "<p><strong>x</strong></p>\n");
}

TEST(CmarkGfmTest, rendersTablesWithTheExtensionAttached) {
    const std::string html = htmlWithTables("| a | b |\n|---|---|\n| 1 | 2 |\n");
    EXPECT_NE(html.find("<table>"), std::string::npos) << html;
    EXPECT_NE(html.find("<th>a</th>"), std::string::npos) << html;
    EXPECT_NE(html.find("<td>2</td>"), std::string::npos) << html;
}

TEST(CmarkGfmTest, leavesTablesAsTextWithoutTheExtension) {
    const std::string_view markdown = "| a | b |\n|---|---|\n| 1 | 2 |\n";
    CString html(cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT));
    EXPECT_EQ(std::string(html.get()).find("<table>"), std::string::npos) << html.get();
}

}  // namespace
