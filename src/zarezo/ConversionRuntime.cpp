#include "zarezo/ConversionRuntime.h"

#include <utility>

#include "foundation/Unicode.h"
#include "zarezo/ListMarkerRewrite.h"
#include "zarezo/MarkupText.h"

namespace pindrake::zarezo {
namespace {

// Nothing made from something, Markdown that shows no text, or the HTML given back as it came,
// is no conversion.
MarkdownResult judged(MarkdownResult result, const std::string& html, const std::string& marker) {
    const auto* markdown = std::get_if<std::string>(&result);
    if (!markdown)
        return result;
    if (unicode::isBlank(*markdown))
        return ZarezoError::emptyResult();
    if (!showsText(*markdown) ||
        (holdsMarkup(html) && unicode::trimmed(*markdown) == unicode::trimmed(html))) {
        return ZarezoError::conversionFailed();
    }
    return postProcessMarkdown(*markdown, marker);
}

}  // namespace

ConversionRuntime::ConversionRuntime(Scheduler& main, std::unique_ptr<MarkdownEngine> turndown,
                                     std::unique_ptr<MarkdownEngine> htmlToMd,
                                     std::chrono::milliseconds timeLimit)
    : main_(main),
      turndown_(std::move(turndown)),
      htmlToMd_(std::move(htmlToMd)),
      timeLimit_(timeLimit) {}

void ConversionRuntime::convert(std::string html, const ZarezoOptions& options,
                                MarkdownCompletion done, CancellationToken stop) {
    // Byte counts: counting the characters of a large page would hold up the main queue, and so
    // would telling whether it is blank: that is done on the worker.
    log_.info("Starting HTML to Markdown conversion with " + std::string(rawValue(options.engine)) +
              " engine");
    log_.info("Input length: " + std::to_string(html.size()) + " bytes");
    const platform::ScriptLimits limits{std::move(stop),
                                        std::chrono::steady_clock::now() + timeLimit_};
    // The engines only borrow the HTML: the fallback and the check of the result need it again.
    auto shared = std::make_shared<const std::string>(std::move(html));
    runInBackground<bool>(
        worker(), main_, pendingChecks_,
        [shared](const CancellationToken&) { return unicode::isBlank(*shared); },
        [self = shared_from_this(), shared, options, limits,
         done = std::move(done)](bool blank) mutable {
            if (blank)
                return done(ZarezoError::emptyResult());
            self->start(std::move(shared), options, limits, std::move(done));
        });
}

void ConversionRuntime::start(SharedHtml html, const ZarezoOptions& options,
                              const platform::ScriptLimits& limits, MarkdownCompletion done) {
    if (options.engine == ConversionEngine::htmlToMd)
        return convertWithHtmlToMd(std::move(html), options, limits, std::move(done));
    auto fallBackOnFailure = [self = shared_from_this(), html, options, limits,
                              done = std::move(done)](MarkdownResult result) mutable {
        if (auto* error = std::get_if<ZarezoError>(&result)) {
            self->log_.error("Turndown failed (" + error->errorDescription() +
                             "); falling back to html-to-md");
            ZarezoOptions fallback = options;
            fallback.engine = ConversionEngine::htmlToMd;
            self->convertWithHtmlToMd(std::move(html), fallback, limits, std::move(done));
            return;
        }
        done(std::move(result));
    };
    turndown_->convert(*html, options, limits,
                       [self = shared_from_this(), html, marker = options.bulletListMarker,
                        next = std::move(fallBackOnFailure)](MarkdownResult result) mutable {
                           self->judge(std::move(result), std::move(html), std::move(marker),
                                       std::move(next));
                       });
}

void ConversionRuntime::convertWithHtmlToMd(SharedHtml html, const ZarezoOptions& options,
                                            const platform::ScriptLimits& limits,
                                            MarkdownCompletion done) {
    htmlToMd_->convert(*html, options, limits,
                       [self = shared_from_this(), html, marker = options.bulletListMarker,
                        done = std::move(done)](MarkdownResult result) mutable {
                           self->judge(std::move(result), std::move(html), std::move(marker),
                                       std::move(done));
                       });
}

void ConversionRuntime::judge(MarkdownResult result, SharedHtml html, std::string marker,
                              MarkdownCompletion done) {
    if (std::holds_alternative<ZarezoError>(result))
        return done(std::move(result));
    runInBackground<MarkdownResult>(
        worker(), main_, pendingResults_,
        [result = std::move(result), html = std::move(html), marker = std::move(marker)](
            const CancellationToken&) { return judged(result, *html, marker); },
        [self = shared_from_this(), done = std::move(done)](MarkdownResult judged) {
            done(std::move(judged));
        });
}

WorkQueue& ConversionRuntime::worker() {
    if (!worker_)
        worker_ = std::make_unique<WorkQueue>("com.zarezo.conversion", 1);
    return *worker_;
}

}  // namespace pindrake::zarezo
