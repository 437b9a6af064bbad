#include "converters/MarkdownHtml.h"

#include <cmark-gfm.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace pindrake::converters {

namespace {

// The renderer takes tens of times the size of its input in memory; no paste needs more.
constexpr std::size_t maximumMarkdownBytes = std::size_t{4} << 20;

// The renderer keeps a node of a few hundred bytes for every block and inline it finds, and
// every one of them is opened by a line break or a mark like these: text made of little else
// (a few bytes a line, emphasis around every word) would take it over 600 MB within the size
// cap, while ordinary documents of that size hold a few hundred thousand.
constexpr std::size_t maximumElementMarks = 1'500'000;

std::size_t elementMarks(std::string_view markdown) {
    constexpr std::string_view marks = "\n*_`[]<>&\\!-+.)";
    return static_cast<std::size_t>(std::count_if(markdown.begin(), markdown.end(), [&](char c) {
        return marks.find(c) != std::string_view::npos;
    }));
}

}  // namespace

std::optional<std::string> htmlFromMarkdown(std::string_view markdown) {
    if (markdown.size() > maximumMarkdownBytes || elementMarks(markdown) > maximumElementMarks)
        return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> html(
        cmark_markdown_to_html(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT), &std::free);
    if (!html || *html == '\0')
        return std::nullopt;
    return std::string(html.get());
}

}  // namespace pindrake::converters
