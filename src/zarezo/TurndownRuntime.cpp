#include "zarezo/TurndownRuntime.h"

#include <sstream>
#include <utility>

#include "foundation/Unicode.h"
#include "zarezo/LibraryFile.h"
#include "zarezo/TurndownScript.h"

namespace pindrake::zarezo {
namespace {

constexpr std::string_view blankPage = "<html><head></head><body></body></html>";

std::string secondsText(Duration d) {
    std::ostringstream text;
    text << std::chrono::duration<double>(d).count() << " s";
    return text.str();
}

}  // namespace

TurndownRuntime::TurndownRuntime(Scheduler& main, platform::WebViewFactory makeWebView,
                                 LibraryLocator findLibrary, Duration pageLoadTimeout)
    : main_(main),
      makeWebView_(std::move(makeWebView)),
      findLibrary_(std::move(findLibrary)),
      pageLoadTimeout_(pageLoadTimeout) {}

TurndownRuntime::~TurndownRuntime() {
    log_.info("TurndownRuntime being deallocated");
    pageLoadTimer_.cancel();
    pendingScripts_.dropAll();
}

void TurndownRuntime::convert(std::string html, const ZarezoOptions& options,
                              platform::ScriptLimits limits, MarkdownCompletion done) {
    // One conversion at a time: a second one rebuilding the web view under the first would
    // drop the first one's pending answers.
    waitingConversions_.push_back([this, html = std::move(html), options,
                                   limits = std::move(limits), done = std::move(done)]() mutable {
        runConversion(std::move(html), options, std::move(limits), std::move(done));
    });
    if (!converting_)
        startNextConversion();
}

void TurndownRuntime::startNextConversion() {
    converting_ = !waitingConversions_.empty();
    if (!converting_)
        return;
    auto next = std::move(waitingConversions_.front());
    waitingConversions_.pop_front();
    next();
}

void TurndownRuntime::runConversion(std::string html, const ZarezoOptions& options,
                                    platform::ScriptLimits limits, MarkdownCompletion done) {
    // Posted, because a missing library or web view fails before anything was waited for, and
    // the caller is promised its answer in a later turn.
    auto finish = [this, done = std::move(done)](MarkdownResult result) {
        main_.post([done, result = std::move(result)]() mutable { done(std::move(result)); });
        startNextConversion();
    };
    if (limits.reached())
        return finish(ZarezoError::jsException("the conversion was stopped before it started"));
    ensureReady([this, html = std::move(html), options, limits = std::move(limits),
                 finish = std::move(finish)](std::optional<ZarezoError> error) mutable {
        if (error)
            return finish(std::move(*error));
        if (!scriptBuilder_)
            scriptBuilder_ = std::make_unique<WorkQueue>("com.zarezo.turndown", 1);
        runInBackground<ConversionScript>(
            *scriptBuilder_, main_, pendingScripts_,
            [html = std::move(html), options](const CancellationToken&) {
                return ConversionScript{turndown_script::makeConversionScript(html, options),
                                        unicode::isBlank(html)};
            },
            [this, limits = std::move(limits),
             finish = std::move(finish)](ConversionScript script) mutable {
                log_.debug("Executing Turndown conversion...");
                webView_->evaluateJavaScript(
                    std::move(script.text),
                    [this, htmlIsBlank = script.htmlIsBlank,
                     finish = std::move(finish)](platform::WebView::Evaluation result) {
                        finish(interpretResult(htmlIsBlank, result));
                    },
                    std::move(limits));
            });
    });
}

MarkdownResult TurndownRuntime::interpretResult(bool htmlIsBlank,
                                                const platform::WebView::Evaluation& result) {
    std::string description;
    if (result.error) {
        description = *result.error;
    } else if (!result.text) {
        log_.error("JavaScript result is not a string: Optional<Any>");
        description = ZarezoError::conversionFailed().errorDescription();
    } else {
        log_.info("Turndown conversion completed (output length: " +
                  std::to_string(result.text->size()) + " bytes)");
        if (!result.text->empty() || htmlIsBlank) {
            log_.debug("Conversion successful, returning result");
            return *result.text;
        }
        log_.debug("Conversion resulted in empty markdown for non-empty HTML input.");
        description = ZarezoError::emptyResult().errorDescription();
    }
    log_.error("JavaScript exception during conversion: " + description);
    return ZarezoError::jsException(std::move(description));
}

void TurndownRuntime::ensureReady(Step next) {
    auto whenInitialized = [this, next](std::optional<ZarezoError> error) {
        if (error)
            return next(std::move(error));
        if (!webView_) {
            log_.error("WKWebView not available");
            return next(ZarezoError::webViewInitializationFailed());
        }
        checkAvailability([this, next](bool available) {
            if (available)
                return next(std::nullopt);
            log_.error("TurndownService missing, reinitializing WKWebView...");
            isInitialized_ = false;
            initializeWebView([this, next](std::optional<ZarezoError> error) {
                if (error)
                    return next(std::move(error));
                if (!webView_)
                    return next(ZarezoError::jsEnvironmentInitializationFailed());
                next(std::nullopt);
            });
        });
    };
    if (isInitialized_)
        return whenInitialized(std::nullopt);
    log_.info("WKWebView environment not initialized, initializing now...");
    initializeWebView(std::move(whenInitialized));
}

void TurndownRuntime::checkAvailability(std::function<void(bool)> answer) {
    webView_->evaluateJavaScript(
        std::string(turndown_script::availabilityCheck),
        [this, answer = std::move(answer)](platform::WebView::Evaluation result) {
            if (result.error) {
                log_.error("Failed to check TurndownService availability: " + *result.error);
                return answer(false);
            }
            answer(result.text == "function");
        });
}

void TurndownRuntime::initializeWebView(Step next) {
    log_.info("Initializing WKWebView environment for HTML to Markdown conversion");
    pageLoadTimer_.cancel();
    webView_ = makeWebView_();
    if (webView_)
        log_.info("Successfully created WKWebView");
    loadJavaScriptLibraries(std::move(next));
}

void TurndownRuntime::loadJavaScriptLibraries(Step next) {
    log_.info("Loading JavaScript libraries into WKWebView");
    if (!webView_)
        return next(ZarezoError::webViewInitializationFailed());
    const auto path = findLibrary_("turndown.min", "js");
    if (!path) {
        log_.error("turndown.min.js not found in any bundle");
        return next(ZarezoError::libraryNotFound("turndown.min.js"));
    }
    log_.info("Found turndown.min.js at: " + path->string());
    loadBlankPage([this, path = path->string(), next](std::optional<ZarezoError> error) {
        if (error)
            return loadingFailed(next, std::move(*error));
        evaluateLibrary(path, next);
    });
}

void TurndownRuntime::loadBlankPage(Step next) {
    // A library evaluated before the page has loaded would be wiped by the load, so wait for
    // the load itself, up to the time-out. Whichever comes first takes the step; the timer holds
    // it only weakly, so a finished load releases the conversion at once.
    auto waiting = std::make_shared<Step>(std::move(next));
    pageLoadTimer_ = main_.postAfter(
        pageLoadTimeout_,
        [weak = std::weak_ptr<Step>(waiting),
         message = "the page did not finish loading within " + secondsText(pageLoadTimeout_)] {
            auto strong = weak.lock();
            if (!strong || !*strong)
                return;
            std::exchange(*strong, {})(ZarezoError::libraryLoadingFailed(message));
        });
    webView_->loadHTML(std::string(blankPage), [this, waiting](std::optional<std::string> error) {
        if (!*waiting)
            return;
        pageLoadTimer_.cancel();
        auto next = std::exchange(*waiting, {});
        if (error)
            return next(ZarezoError::libraryLoadingFailed(*error));
        next(std::nullopt);
    });
}

void TurndownRuntime::evaluateLibrary(const std::string& path, Step next) {
    log_.info("Loading Turndown from: " + path);
    auto library = readLibraryFile(path);
    if (auto* error = std::get_if<ZarezoError>(&library))
        return loadingFailed(next, *error);
    const auto& text = std::get<std::string>(library);
    log_.info("Successfully read Turndown (" + std::to_string(text.size()) + " bytes)");
    webView_->evaluateJavaScript(text, [this, next](platform::WebView::Evaluation result) {
        if (result.error) {
            return loadingFailed(next, ZarezoError::libraryLoadingFailed(*result.error));
        }
        log_.info("Successfully loaded Turndown JavaScript library");
        webView_->evaluateJavaScript(
            std::string(turndown_script::globalScopeCheck),
            [this, next](platform::WebView::Evaluation check) {
                if (check.error) {
                    return loadingFailed(next, ZarezoError::libraryLoadingFailed(*check.error));
                }
                if (check.text)
                    log_.info("Global scope check: " + *check.text);
                isInitialized_ = true;
                log_.info("WKWebView runtime ready with Turndown 🎉");
                next(std::nullopt);
            });
    });
}

void TurndownRuntime::loadingFailed(const Step& next, ZarezoError error) {
    log_.error(error.errorDescription());
    next(std::move(error));
}

}  // namespace pindrake::zarezo
