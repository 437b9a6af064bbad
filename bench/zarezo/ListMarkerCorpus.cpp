// Checks the list-marker rewrite on real pages: each HTML file named on standard input (one path
// a line; files over 1 MiB are skipped) goes through both engines as the application runs them
// (Turndown in the JavaScriptCore web view, html-to-md in its own context), which give their
// Markdown before the rewrite. Each output is rewritten with each marker, and the HTML of the
// rewritten text must equal that of the engine's own text, with cmark-gfm's core and with the
// application's GFM extensions. Prints the counts and every difference.
//   find /usr/share -name '*.html' | list-marker-corpus [--dump DIR]   (or list-marker-corpus.sh)
// --dump writes each engine's output and the app marker's rewrite of it into DIR.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
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
#include "zarezo/RenderedMarkdown.h"
#include "zarezo/TurndownRuntime.h"

namespace {

using namespace pindrake;
using namespace pindrake::zarezo;
namespace fs = std::filesystem;

using zarezo::testing::renderedHtml;
using zarezo::testing::Renderer;

constexpr std::uintmax_t htmlCap = std::uintmax_t{1} << 20;

std::vector<fs::path> pages() {
    std::vector<fs::path> found;
    for (std::string line; std::getline(std::cin, line);) {
        std::error_code error;
        if (fs::is_regular_file(line, error) && fs::file_size(line, error) <= htmlCap && !error)
            found.emplace_back(line);
    }
    std::sort(found.begin(), found.end());
    return found;
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
                std::cout << "FAILED: " << page.string() << " (" << engineName << ")\n";
                continue;
            }
            ++outputs;
            const std::array<std::string, 2> expected{renderedHtml(*markdown, Renderer::core),
                                                      renderedHtml(*markdown, Renderer::gfm)};
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
                for (const Renderer renderer : {Renderer::core, Renderer::gfm}) {
                    const bool gfm = renderer == Renderer::gfm;
                    ++comparisons;
                    if (renderedHtml(rewrite, renderer) != expected[gfm]) {
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
