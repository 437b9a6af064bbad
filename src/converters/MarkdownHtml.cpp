#include "converters/MarkdownHtml.h"

#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>

namespace pindrake::converters {

namespace {

// The renderer takes tens of times the size of its input in memory; no paste needs more.
constexpr std::size_t maximumMarkdownBytes = std::size_t{4} << 20;

}  // namespace

std::optional<std::string> htmlFromMarkdown(std::string_view markdown) {
    if (markdown.size() > maximumMarkdownBytes)
        return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> html(
        cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT), &std::free);
    if (!html || *html == '\0')
        return std::nullopt;
    return std::string(html.get());
}

}  // namespace pindrake::converters
