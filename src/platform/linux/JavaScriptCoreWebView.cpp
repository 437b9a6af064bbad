#include "platform/linux/JavaScriptCoreWebView.h"

#include <optional>
#include <utility>

#include "foundation/Files.h"
#include "foundation/Resources.h"
#include "platform/javascript/JavaScriptContext.h"

namespace pindrake::platform {

struct JavaScriptCoreWebView::Page {
    std::chrono::milliseconds timeLimit;
    CancellationToken stop;
    std::filesystem::path domScript;
    std::optional<std::string> domScriptText;
    std::unique_ptr<JavaScriptContext> context;

    // A blank page stands in until the first load, as in a browser's new tab.
    JavaScriptContext* current() {
        if (!context)
            context = JavaScriptContext::create(timeLimit, stop);
        return context.get();
    }

    std::optional<std::string> load(const std::string& html) {
        context.reset();
        if (!domScriptText) {
            if (domScript.empty())
                return "the page DOM script was not found";
            domScriptText = files::read(domScript);
            if (!domScriptText)
                return "cannot read the page DOM script " + domScript.string();
        }
        context = JavaScriptContext::create(timeLimit, stop);
        if (!context)
            return "cannot create a JavaScript context";
        if (auto exception = context->evaluate(*domScriptText).exception)
            return "page DOM script failed: " + *exception;
        if (!context->isDefined("pindrakeOpenPage"))
            return "the page DOM script defines no page opener";
        if (auto exception = context->callGlobalFunction("pindrakeOpenPage", html))
            return "cannot parse the page: " + *exception;
        return std::nullopt;
    }

    Evaluation evaluate(const std::string& script, const ScriptLimits& limits) {
        JavaScriptContext* page = current();
        if (!page)
            return Evaluation::exception("cannot create a JavaScript context");
        auto result = page->evaluate(script, limits);
        if (result.exception)
            return Evaluation::exception(std::move(*result.exception));
        if (result.text)
            return Evaluation::string(std::move(*result.text));
        return Evaluation::otherValue();
    }
};

JavaScriptCoreWebView::JavaScriptCoreWebView(Scheduler& main, std::filesystem::path pageDomScript,
                                             std::chrono::milliseconds timeLimit)
    : main_(main), page_(std::make_shared<Page>()), worker_("pindrake.web-view", 1) {
    if (pageDomScript.empty()) {
        pageDomScript = resources::find("web-view/page-dom.min.js").value_or(pageDomScript);
    }
    page_->timeLimit = timeLimit;
    page_->stop = stop_;
    page_->domScript = std::move(pageDomScript);
}

JavaScriptCoreWebView::~JavaScriptCoreWebView() {
    stop_.cancel();
    pendingLoads_.dropAll();
    pendingEvaluations_.dropAll();
    // The page goes with the worker's last job: releasing a large context takes long.
    worker_.finish([page = std::move(page_)]() mutable { page.reset(); });
}

// Jobs hold no pointer to the view: they may still be finishing while it is destroyed.
void JavaScriptCoreWebView::loadHTML(std::string html, LoadCompletion done) {
    worker_.async([completion = pendingLoads_.add(main_, std::move(done)), page = page_,
                   html = std::move(html)] { completion->settle(page->load(html)); });
}

void JavaScriptCoreWebView::evaluateJavaScript(std::string script, EvaluationCompletion done,
                                               ScriptLimits limits) {
    worker_.async([completion = pendingEvaluations_.add(main_, std::move(done)), page = page_,
                   script = std::move(script), limits = std::move(limits)] {
        completion->settle(page->evaluate(script, limits));
    });
}

WebViewFactory JavaScriptCoreWebView::factory(Scheduler& main,
                                              std::chrono::milliseconds timeLimit) {
    return [&main, timeLimit] {
        return std::make_unique<JavaScriptCoreWebView>(main, std::filesystem::path(), timeLimit);
    };
}

}  // namespace pindrake::platform
