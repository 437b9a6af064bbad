// Checks the list-marker rewrite on real pages: every HTML file under /usr/share/doc and the
// installed JavaScript packages, up to the converters' 2 MiB cap, goes through both engines as
// the application runs them (Turndown in the JavaScriptCore web view, html-to-md in its own
// context, ten-second limit). Each output is rewritten with each marker, and cmark-gfm's HTML of
// the rewritten text must equal that of the engine's own text: as the application renders it
// (core, default options) and with the GFM extensions. Prints the counts and every difference.
//   list-marker-corpus [--dump DIR]
// --dump writes each engine's output and the app marker's rewrite of it into DIR.
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstdlib>

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Files.h"
#include "foundation/ManualScheduler.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "support/MainQueueWaits.h"
#include "zarezo/HTMLToMdRuntime.h"
#include "zarezo/ListMarkerRewrite.h"
#include "zarezo/TurndownRuntime.h"

namespace {

using namespace pindrake;
using namespace pindrake::zarezo;
namespace fs = std::filesystem;

constexpr std::uintmax_t htmlCap = std::uintmax_t{2} << 20;

std::vector<fs::path> pages() {
    std::vector<fs::path> found;
    for (const char* root : {"/usr/share/doc", PINDRAKE_JS_MODULES}) {
        std::error_code error;
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                            error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            std::error_code ignored;
            const auto extension = it->path().extension();
            if ((extension == ".html" || extension == ".htm") && it->is_regular_file(ignored) &&
                it->file_size(ignored) <= htmlCap) {
                found.push_back(it->path());
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string render(std::string_view markdown, bool gfm) {
    if (!gfm) {
        const std::unique_ptr<char, decltype(&std::free)> html(
            cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT),
            &std::free);
        return html ? html.get() : "";
    }
    cmark_parser* parser = cmark_parser_new(CMARK_OPT_DEFAULT);
    for (const char* name : {"table", "strikethrough", "autolink", "tagfilter", "tasklist"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name))
            cmark_parser_attach_syntax_extension(parser, extension);
    }
    cmark_parser_feed(parser, markdown.data(), markdown.size());
    cmark_node* document = cmark_parser_finish(parser);
    const std::unique_ptr<char, decltype(&std::free)> html(
        cmark_render_html(document, CMARK_OPT_DEFAULT, cmark_parser_get_syntax_extensions(parser)),
        &std::free);
    cmark_node_free(document);
    cmark_parser_free(parser);
    return html ? html.get() : "";
}

std::optional<std::string> convert(ManualScheduler& main, MarkdownEngine& engine,
                                   const std::string& html) {
    std::optional<MarkdownResult> outcome;
    engine.convert(html, ZarezoOptions(), [&](MarkdownResult r) { outcome = std::move(r); });
    test_support::runUntil(
        main, [&] { return outcome.has_value(); }, std::chrono::minutes(2));
    if (auto* markdown = outcome ? std::get_if<std::string>(&*outcome) : nullptr)
        return std::move(*markdown);
    return std::nullopt;
}

std::string dumpName(const fs::path& page, std::string_view engine) {
    std::string name = page.string();
    std::replace(name.begin(), name.end(), '/', '_');
    return name + "." + std::string(engine);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("PINDRAKE_RESOURCES", PINDRAKE_BUILD_RESOURCES, 0);
    std::optional<fs::path> dump;
    if (argc == 3 && std::string_view(argv[1]) == "--dump") {
        dump = argv[2];
        fs::create_directories(*dump);
    } else if (argc != 1) {
        std::cerr << "usage: list-marker-corpus [--dump DIR]\n";
        return 2;
    }
    cmark_gfm_core_extensions_ensure_registered();

    ManualScheduler main;
    TurndownRuntime turndown(main, platform::JavaScriptCoreWebView::factory(main));
    HTMLToMdRuntime htmlToMd(main);
    const std::array<std::pair<std::string_view, MarkdownEngine*>, 2> engines{
        {{"turndown", &turndown}, {"html-to-md", &htmlToMd}}};

    const auto found = pages();
    std::size_t outputs = 0, failed = 0, rewritten = 0, comparisons = 0, differences = 0;
    for (const auto& page : found) {
        const auto html = files::read(page);
        if (!html)
            continue;
        for (const auto& [engineName, engine] : engines) {
            const auto markdown = convert(main, *engine, *html);
            if (!markdown) {
                ++failed;
                continue;
            }
            ++outputs;
            const std::array<std::string, 2> expected{render(*markdown, false),
                                                      render(*markdown, true)};
            for (const char* marker : {"-", "*", "+"}) {
                const std::string rewrite = postProcessMarkdown(*markdown, marker);
                if (marker == std::string_view("-")) {
                    rewritten += rewrite != *markdown;
                    if (dump) {
                        const auto name = dumpName(page, engineName);
                        std::ofstream(*dump / (name + ".md"), std::ios::binary) << *markdown;
                        std::ofstream(*dump / (name + ".rewritten.md"), std::ios::binary)
                            << rewrite;
                    }
                }
                for (const bool gfm : {false, true}) {
                    ++comparisons;
                    if (render(rewrite, gfm) != expected[gfm]) {
                        ++differences;
                        std::cout << "DIFFERS: " << page.string() << " (" << engineName
                                  << ", marker " << marker << (gfm ? ", GFM" : ", core") << ")\n";
                    }
                }
            }
        }
    }
    std::cout << found.size() << " pages, " << outputs << " outputs (" << failed
              << " conversions failed), " << rewritten << " changed by the rewrite to \"-\"; "
              << comparisons << " renderings compared, " << differences << " differ\n";
    return differences == 0 ? 0 : 1;
}
