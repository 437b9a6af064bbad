#include "converters/MarkdownHtml.h"

#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>

namespace pindrake::converters {

namespace {

// The renderer takes tens of times the size of its input in memory; no paste needs more.
constexpr std::size_t maximumMarkdownBytes = std::size_t{4} << 20;

// The renderer keeps a node of a few hundred bytes for every block and inline it finds, and
// every one of them is opened by a line end or a mark like these: up to 512 MB a million marks,
// whatever the text (emphasis around every word, a heading or a list item of thirty levels on
// every line), while ordinary documents of the size cap hold a few hundred thousand.
constexpr std::size_t maximumElementMarks = 1'000'000;

// A line ends at a line feed, a carriage return, or both together, as the renderer reads them.
std::size_t elementMarks(std::string_view markdown) {
    constexpr std::string_view marks = "\n\r*_`[]<>&\\!-+.)";
    std::size_t count = 0;
    for (std::size_t at = 0; at < markdown.size(); ++at) {
        const bool secondOfLineEnd = markdown[at] == '\n' && at > 0 && markdown[at - 1] == '\r';
        if (!secondOfLineEnd && marks.find(markdown[at]) != std::string_view::npos)
            ++count;
    }
    return count;
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
