#include "converters/MarkupConverters.h"

#include <memory>

#include "converters/HtmlShape.h"
#include "converters/HtmlText.h"
#include "converters/MarkdownHtml.h"
#include "converters/RegexRewrite.h"
#include "converters/SlackText.h"
#include "zarezo/Zarezo.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;
using clipboard::ContentTag;

namespace {

// The HTML-to-Markdown engines take about a hundred times the size of their input in memory,
// and a second a megabyte or two; no paste needs more than this.
constexpr std::size_t maximumEngineHtmlBytes = std::size_t{2} << 20;

// The engines' page model takes 1.5 to 3 KB a node of the document's tree, whatever the size
// of the HTML: formatting elements left open make millions of nodes out of a small input. Real
// pages make a node for every 15 bytes or more, 140,000 at the size limit; 100,000 list items
// make 200,000 and take the engines 340 MB.
constexpr std::size_t maximumEngineNodes = 200'000;
// The engines walk the tree recursively, and the fallback takes time with the square of the depth.
constexpr std::size_t maximumEngineDepth = 1500;
// The engines build each element's Markdown from copies of its children's (see HtmlShape) and
// hold on to about 5 MB a million bytes copied: a megabyte of text 100 elements deep takes 580
// MB, list items nested 745 deep 600 MB. Ordinary pages at the size limit copy under 10 million.
constexpr std::size_t maximumEngineCopiedBytes = 64'000'000;

// The chat markup is made by regular expressions over the whole text: 50 MB take seconds and
// half a gigabyte.
constexpr std::size_t maximumSlackHtmlBytes = std::size_t{8} << 20;

// The note markup's headings are rewritten by a regular expression over the whole text: 128 MiB
// take seconds and a gigabyte.
constexpr std::size_t maximumNotionMarkdownBytes = std::size_t{8} << 20;

// An entry's HTML: its HTML part, else its text.
std::string htmlSource(const ClipboardContent& input) {
    return input.html.value_or(input.plainText.value_or(std::string()));
}

// The HTML to hand to the engines; nothing when there is none or too much, which is not copied.
std::optional<std::string> engineHtml(const ClipboardContent& input) {
    const auto& html = input.html ? input.html : input.plainText;
    if (!html || html->empty() || html->size() > maximumEngineHtmlBytes)
        return std::nullopt;
    return *html;
}

const zarezo::ZarezoOptions& markdownOptions() {
    static const zarezo::ZarezoOptions options(zarezo::ConversionEngine::turndown,
                                               zarezo::ZarezoHeadingStyle::atx, "-",
                                               zarezo::ZarezoCodeBlockStyle::fenced, {}, {}, {});
    return options;
}

// Whether the engines can turn the HTML into a page model in bounded time and memory.
bool enginesCanTake(std::string_view html, const CancellationToken& stop) {
    const auto shape = parsedShape(html, stop);
    return shape && shape->nodes <= maximumEngineNodes && shape->depth <= maximumEngineDepth &&
           shape->copiedBytes <= maximumEngineCopiedBytes;
}

// Runs on the main queue and answers there; `done` gets nothing when the HTML is not for the
// engines or they fail. The HTML is measured on a worker first.
void markdownFromHtml(std::string html, const ConversionServices& services,
                      std::function<void(std::optional<std::string>)> done) {
    auto shared = std::make_shared<std::string>(std::move(html));
    services.workers.check(
        services.main, [shared, stop = services.stop] { return enginesCanTake(*shared, stop); },
        [shared, &main = services.main, makeWebView = services.makeWebView, stop = services.stop,
         timeLimit = services.markdownTimeLimit, done = std::move(done)](bool canTake) {
            if (!canTake || stop.isCancelled())
                return done(std::nullopt);
            // The conversion keeps what it needs alive after this object goes.
            zarezo::Zarezo converter(main, makeWebView, timeLimit);
            converter.convertToMarkdown(
                std::move(*shared), markdownOptions(),
                [done](zarezo::MarkdownResult result) {
                    auto* markdown = std::get_if<std::string>(&result);
                    done(markdown ? std::optional(std::move(*markdown)) : std::nullopt);
                },
                stop);
        });
}

// The note service shows three heading levels only; deeper headings become the third.
ClipboardContent notionContent(const ClipboardContent& input, const std::string& markdown) {
    if (markdown.size() > maximumNotionMarkdownBytes)
        return input;
    auto rewritten = replacingMatches(markdown, u"(?m)^#{4,6} ", u"### ");
    if (!rewritten)
        return input;
    return convertedContent(std::move(*rewritten), ContentTag::markdown);
}

void finishNotion(ClipboardContent input, std::string markdown, const ConversionServices& services,
                  ConversionCompletion done) {
    services.workers.run(
        services.main,
        [input = std::move(input), markdown = std::move(markdown)] {
            return notionContent(input, markdown);
        },
        std::move(done));
}

}  // namespace

// The engines run in conversion helpers, which hold their limits.
std::optional<ClipboardContent> MarkdownToHTMLConverter::transform(const ClipboardContent& input,
                                                                   const ConversionBudget&) const {
    if (!input.plainText)
        return std::nullopt;
    auto html = htmlFromMarkdown(*input.plainText);
    if (!html)
        return std::nullopt;
    return convertedContent(std::move(*html), ContentTag::html);
}

std::optional<ClipboardContent> ToSlackConverter::transform(const ClipboardContent& input,
                                                            const ConversionBudget&) const {
    std::string source;
    if (input.tags.contains(ContentTag::html)) {
        source = htmlSource(input);
    } else if (input.plainText) {
        source = htmlFromMarkdown(*input.plainText).value_or(std::string());
    }
    if (source.empty() || source.size() > maximumSlackHtmlBytes)
        return std::nullopt;
    return plainTextResult(slackText(source));
}

void HTMLToMarkdownConverter::convert(ClipboardContent input, const ConversionServices& services,
                                      ConversionCompletion done) const {
    auto html = engineHtml(input);
    if (!html)
        return deliverOnMain(services.main, std::move(input), std::move(done));
    markdownFromHtml(
        std::move(*html), services,
        [input = std::move(input), done = std::move(done)](std::optional<std::string> markdown) {
            done(markdown ? convertedContent(std::move(*markdown), ContentTag::markdown) : input);
        });
}

void ToNotionConverter::convert(ClipboardContent input, const ConversionServices& services,
                                ConversionCompletion done) const {
    if (!input.tags.contains(ContentTag::html)) {
        if (!input.plainText)
            return deliverOnMain(services.main, std::move(input), std::move(done));
        // The text is read on the worker, never copied here.
        return services.workers.run(
            services.main,
            [input = std::move(input)] { return notionContent(input, *input.plainText); },
            std::move(done));
    }
    auto html = engineHtml(input);
    if (!html)
        return deliverOnMain(services.main, std::move(input), std::move(done));
    markdownFromHtml(std::move(*html), services,
                     [input = std::move(input), services,
                      done = std::move(done)](std::optional<std::string> markdown) mutable {
                         if (!markdown)
                             return done(std::move(input));
                         finishNotion(std::move(input), std::move(*markdown), services,
                                      std::move(done));
                     });
}

void PlainTextConverter::convert(ClipboardContent input, const ConversionServices& services,
                                 ConversionCompletion done) const {
    services.workers.run(
        services.main,
        [input = std::move(input), stop = services.stop]() mutable {
            auto text = input.html ? textFromHtml(*input.html, stop) : std::nullopt;
            // The entry itself comes back, not a copy of it.
            if (stop.isCancelled() || (!text && !input.plainText))
                return std::move(input);
            return convertedContent(text ? std::move(*text) : std::move(*input.plainText),
                                    clipboard::ContentTag::plainText);
        },
        std::move(done));
}

}  // namespace pindrake::converters
