#include "zarezo/HTMLToMdRuntime.h"

#include <utility>

#include "platform/javascript/JavaScriptContext.h"
#include "zarezo/HtmlToMdScript.h"
#include "zarezo/LibraryFile.h"
#include "zarezo/ZarezoLog.h"

namespace pindrake::zarezo {
namespace {

// Hands a conversion's outcome to the main queue exactly once: if the job carrying it is
// dropped unrun, it reports that the context is gone.
class Delivery {
  public:
    Delivery(Scheduler& main, MarkdownCompletion done) : main_(main), done_(std::move(done)) {}
    ~Delivery() {
        if (done_)
            deliver(ZarezoError::jsContextCreationFailed());
    }
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    void deliver(MarkdownResult result) {
        main_.post([done = std::exchange(done_, {}), result = std::move(result)]() mutable {
            done(std::move(result));
        });
    }

  private:
    Scheduler& main_;
    MarkdownCompletion done_;
};

}  // namespace

class HTMLToMdRuntime::Engine {
  public:
    explicit Engine(LibraryLocator findLibrary) : findLibrary_(std::move(findLibrary)) {}

    MarkdownResult convert(const std::string& html, const ZarezoOptions& options) {
        if (!context_) {
            if (auto error = initialize())
                return *error;
        }
        const std::string script = html_to_md_script::makeConversionScript(html, options);
        auto evaluation = context_->evaluate(script);
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
        auto context = platform::JavaScriptContext::create();
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
    ZarezoLog log_{"html-to-md"};
    std::unique_ptr<platform::JavaScriptContext> context_;
};

HTMLToMdRuntime::HTMLToMdRuntime(Scheduler& main, LibraryLocator findLibrary)
    : main_(main),
      engine_(std::make_shared<Engine>(std::move(findLibrary))),
      queue_(std::make_unique<WorkQueue>("com.zarezo.html-to-md", 1)) {}

HTMLToMdRuntime::~HTMLToMdRuntime() {
    queue_.reset();
    // The queue has stopped, so nothing else can touch the context; JavaScriptCore's API lock
    // makes releasing it from this thread safe.
    engine_.reset();
}

void HTMLToMdRuntime::convert(std::string html, const ZarezoOptions& options,
                              MarkdownCompletion done) {
    auto delivery = std::make_shared<Delivery>(main_, std::move(done));
    queue_->async(
        [engine = std::weak_ptr<Engine>(engine_), html = std::move(html), options, delivery] {
            auto strong = engine.lock();
            if (!strong)
                return;  // the delivery reports the missing context
            delivery->deliver(strong->convert(html, options));
        });
}

}  // namespace pindrake::zarezo
