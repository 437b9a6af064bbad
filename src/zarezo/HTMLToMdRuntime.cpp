#include "zarezo/HTMLToMdRuntime.h"

#include <utility>

#include "platform/javascript/JavaScriptContext.h"
#include "zarezo/HtmlToMdScript.h"
#include "zarezo/LibraryFile.h"
#include "zarezo/ZarezoLog.h"

namespace pindrake::zarezo {

class HTMLToMdRuntime::Engine {
  public:
    Engine(LibraryLocator findLibrary, std::chrono::milliseconds timeLimit, CancellationToken stop)
        : findLibrary_(std::move(findLibrary)), timeLimit_(timeLimit), stop_(std::move(stop)) {}

    MarkdownResult convert(const std::string& html, const ZarezoOptions& options,
                           const platform::ScriptLimits& limits) {
        if (limits.reached())
            return ZarezoError::conversionFailed();
        if (!context_) {
            if (auto error = initialize())
                return *error;
        }
        const std::string script = html_to_md_script::makeConversionScript(html, options);
        auto evaluation = context_->evaluate(script, limits);
        if (evaluation.exception)
            log_.error("JS Exception: " + *evaluation.exception);
        if (!evaluation.text) {
            // A value of another type is no Markdown either, "null" and "undefined" included.
            const auto error = ZarezoError::conversionFailed();
            log_.error("Conversion error: " + error.errorDescription());
            return error;
        }
        log_.info("html-to-md conversion completed");
        return std::move(*evaluation.text);
    }

  private:
    std::optional<ZarezoError> initialize() {
        auto context = platform::JavaScriptContext::create(timeLimit_, stop_);
        if (!context)
            return ZarezoError::jsContextCreationFailed();
        const auto path = findLibrary_("html-to-md.min", "js");
        if (!path)
            return ZarezoError::libraryNotFound("html-to-md.min.js");
        auto library = readLibraryFile(*path);
        if (auto* error = std::get_if<ZarezoError>(&library))
            return *error;
        auto evaluation = context->evaluate(std::get<std::string>(library));
        if (evaluation.exception)
            log_.error("JS Exception: " + *evaluation.exception);
        if (!context->isDefined("html2md")) {
            return ZarezoError::libraryLoadingFailed("html-to-md not available in JSContext");
        }
        context_ = std::move(context);
        log_.info("JSCore runtime initialized with html-to-md");
        return std::nullopt;
    }

    LibraryLocator findLibrary_;
    std::chrono::milliseconds timeLimit_;
    CancellationToken stop_;
    ZarezoLog log_{"html-to-md"};
    std::unique_ptr<platform::JavaScriptContext> context_;
};

HTMLToMdRuntime::HTMLToMdRuntime(Scheduler& main, LibraryLocator findLibrary,
                                 std::chrono::milliseconds timeLimit)
    : main_(main), engine_(std::make_shared<Engine>(std::move(findLibrary), timeLimit, stop_)) {}

HTMLToMdRuntime::~HTMLToMdRuntime() {
    stop_.cancel();
    pending_.overruleAll(ZarezoError::jsContextCreationFailed());
    if (queue_) {
        // Releasing a context after a large conversion takes a noticeable time.
        queue_->finish([engine = std::move(engine_)]() mutable { engine.reset(); });
    }
}

void HTMLToMdRuntime::convert(std::string html, const ZarezoOptions& options,
                              platform::ScriptLimits limits, MarkdownCompletion done) {
    if (html.size() > maximumHtmlBytes) {
        main_.post([done = std::move(done)] {
            done(ZarezoError::invalidInput("HTML over the html-to-md size limit"));
        });
        return;
    }
    if (!queue_)
        queue_ = std::make_unique<WorkQueue>("com.zarezo.html-to-md", 1);
    queue_->async([completion = pending_.add(main_, std::move(done)), engine = engine_,
                   html = std::move(html), options, limits = std::move(limits)] {
        completion->settle(engine->convert(html, options, limits));
    });
}

}  // namespace pindrake::zarezo
