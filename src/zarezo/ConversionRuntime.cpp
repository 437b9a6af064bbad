#include "zarezo/ConversionRuntime.h"

#include <utility>

#include "foundation/Unicode.h"
#include "zarezo/ListMarkerRewrite.h"

namespace pindrake::zarezo {
namespace {

MarkdownCompletion postProcessingThen(std::string marker, MarkdownCompletion done) {
    return [marker = std::move(marker), done = std::move(done)](MarkdownResult result) {
        if (auto* markdown = std::get_if<std::string>(&result)) {
            result = postProcessMarkdown(*markdown, marker);
        }
        done(std::move(result));
    };
}

}  // namespace

ConversionRuntime::ConversionRuntime(Scheduler& main, std::unique_ptr<MarkdownEngine> turndown,
                                     std::unique_ptr<MarkdownEngine> htmlToMd)
    : main_(main), turndown_(std::move(turndown)), htmlToMd_(std::move(htmlToMd)) {}

void ConversionRuntime::convert(std::string html, const ZarezoOptions& options,
                                MarkdownCompletion done) {
    log_.info("Starting HTML to Markdown conversion with " + std::string(rawValue(options.engine)) +
              " engine");
    log_.info("Input length: " + std::to_string(unicode::graphemeCount(html)));
    if (unicode::isBlank(html)) {
        main_.post([done = std::move(done)] { done(ZarezoError::emptyResult()); });
        return;
    }
    if (options.engine == ConversionEngine::htmlToMd) {
        convertWithHtmlToMd(std::move(html), options, std::move(done));
        return;
    }
    // The engine only borrows the HTML: the fallback may need it again.
    auto shared = std::make_shared<const std::string>(std::move(html));
    turndown_->convert(*shared, options,
                       [self = shared_from_this(), shared, options,
                        done = std::move(done)](MarkdownResult result) mutable {
                           if (auto* error = std::get_if<ZarezoError>(&result)) {
                               self->log_.error("Turndown failed (" + error->errorDescription() +
                                                "); falling back to html-to-md");
                               ZarezoOptions fallback = options;
                               fallback.engine = ConversionEngine::htmlToMd;
                               self->convertWithHtmlToMd(*shared, fallback, std::move(done));
                               return;
                           }
                           postProcessingThen(options.bulletListMarker,
                                              std::move(done))(std::move(result));
                       });
}

void ConversionRuntime::convertWithHtmlToMd(std::string html, const ZarezoOptions& options,
                                            MarkdownCompletion done) {
    htmlToMd_->convert(std::move(html), options,
                       [self = shared_from_this(),
                        next = postProcessingThen(options.bulletListMarker, std::move(done))](
                           MarkdownResult result) { next(std::move(result)); });
}

}  // namespace pindrake::zarezo
