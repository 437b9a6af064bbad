#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Markup for measuring the converters: ordinary documents as pages and notes give them, and the
// hostile shapes that make a parser or a regular expression work far beyond the input's size.
namespace pindrake::converters::bench {

// An article of numbered sections, `head` first, about `bytes` long.
inline std::string article(std::size_t bytes, const std::string& head,
                           const std::function<std::string(const std::string& n)>& section) {
    std::string html = head + "<body><article>";
    for (int n = 1; html.size() < bytes; ++n)
        html += section(std::to_string(n));
    return html + "</article></body></html>";
}

// An article as a browser copies it: headings, styled paragraphs with links and emphasis,
// lists and a table, about `bytes` long.
inline std::string ordinaryHtml(std::size_t bytes) {
    return article(
        bytes, "<html><head><style>p{margin:0}</style></head>", [](const std::string& n) {
            std::string html = "<h2 id=\"s" + n + "\">Section " + n + "</h2>";
            for (int p = 0; p < 4; ++p) {
                html +=
                    "<p style=\"color:#333;font-family:sans-serif\">Some <b>bold</b> words, an "
                    "<a href=\"https://example.com/page/" +
                    n +
                    "\">example link</a>, <em>some "
                    "emphasis</em> and <code>inline_code()</code> in an ordinary sentence that "
                    "goes on for a while &amp; ends.</p>";
            }
            html += "<ul><li>first point</li><li>second <i>point</i></li><li>third point</li></ul>";
            return html + "<table><tr><th>key</th><th>value</th></tr><tr><td>a" + n +
                   "</td><td>1</td></tr><tr><td>b</td><td>2</td></tr></table>";
        });
}

// The same kind of article written in Japanese, about `bytes` long.
inline std::string ordinaryJapaneseHtml(std::size_t bytes) {
    return article(bytes, "<html><head><meta charset=\"utf-8\"></head>", [](const std::string& n) {
        std::string html = "<h2>\u7bc0 " + n + "</h2>";
        for (int p = 0; p < 4; ++p) {
            html +=
                "<p>\u30af\u30ea\u30c3\u30d7\u30dc\u30fc\u30c9\u306e<b>\u5c65\u6b74</b>"
                "\u304b\u3089\u3001<a href=\"https://example.com/page/" +
                n +
                "\">\u4f8b\u306e\u30ea\u30f3\u30af</a>\u3068<em>\u5f37\u8abf</em>\u3092"
                "\u542b\u3080\u3001\u3054\u304f\u666e\u901a\u306e\u6587\u304c\u3057\u3070"
                "\u3089\u304f\u7d9a\u304d\u307e\u3059\u3002</p>";
        }
        return html + "<ul><li>\u4e00</li><li>\u4e8c</li><li>\u4e09</li></ul>";
    });
}

// Notes in Markdown: headings, paragraphs with emphasis and links, lists and code blocks.
inline std::string ordinaryMarkdown(std::size_t bytes) {
    std::string markdown;
    for (int section = 1; markdown.size() < bytes; ++section) {
        const std::string n = std::to_string(section);
        markdown += "## Section " + n + "\n\n";
        markdown += "Some **bold** words, an [example link](https://example.com/" + n +
                    "), *some emphasis* and `inline_code()` in an ordinary sentence.\n\n";
        markdown += "- first point\n- second *point*\n- third point\n\n";
        markdown += "```\nlet x = " + n + ";\n```\n\n";
    }
    return markdown;
}

// Formatting elements left open in a paragraph (each different, so none is dropped as a
// repeat), then many short paragraphs: an HTML parser clones every one of them into each
// paragraph, while the nesting stays shallow.
inline std::string reopenedFormatting(int formattingElements, int paragraphs) {
    std::string html = "<p>";
    for (int i = 0; i < formattingElements; ++i)
        html += "<b class=" + std::to_string(i) + ">";
    html += "</p>";
    for (int i = 0; i < paragraphs; ++i)
        html += "<p>x</p>";
    return html;
}

// The same, with paragraphs added until the document is about `bytes` long.
inline std::string reopenedFormattingOfSize(int formattingElements, std::size_t bytes) {
    std::string html = reopenedFormatting(formattingElements, 0);
    while (html.size() < bytes)
        html += "<p>x</p>";
    return html;
}

// Blocks left open, then end tags of an element that is not open, repeated up to `bytes`:
// whatever keeps a list of the open elements looks through all of it for each end tag.
inline std::string unmatchedEndTags(int openBlocks, std::size_t bytes) {
    std::string html;
    for (int i = 0; i < openBlocks; ++i)
        html += "<div>";
    while (html.size() + 5 <= bytes)
        html += "</h1>";
    return html;
}

// Mail as older programs write it: paragraphs left for the next one to end, each starting a
// font element that is never closed.
inline std::string oldStyleMail(int paragraphs) {
    std::string html = "<html><body>";
    for (int i = 0; i < paragraphs; ++i) {
        html += "<p><font face=\"Arial\" size=\"2\">Line " + std::to_string(i) +
                " of the letter, in ordinary words.";
    }
    return html + "</body></html>";
}

// Code elements left open on one line, each making a lazy search scan to the line's end, then a
// closed one on the next line.
inline std::string unclosedCode(int elements) {
    std::string html;
    for (int i = 0; i < elements; ++i)
        html += "<code>";
    return html + "\n<code>x</code>";
}

}  // namespace pindrake::converters::bench
