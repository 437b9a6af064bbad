#include "platform/linux/JavaScriptCoreWebView.h"

#include <optional>
#include <utility>

#include "foundation/Files.h"
#include "foundation/Resources.h"
#include "platform/javascript/JavaScriptContext.h"

namespace pindrake::platform {

struct JavaScriptCoreWebView::Page {
    std::filesystem::path domScript;
    std::optional<std::string> domScriptText;
    std::unique_ptr<JavaScriptContext> context;

    // A blank page stands in until the first load, as in a browser's new tab.
    JavaScriptContext* current() {
        if (!context)
            context = JavaScriptContext::create();
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
        context = JavaScriptContext::create();
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

    Evaluation evaluate(const std::string& script) {
        JavaScriptContext* page = current();
        if (!page)
            return Evaluation::exception("cannot create a JavaScript context");
        auto result = page->evaluate(script);
        if (result.exception)
            return Evaluation::exception(std::move(*result.exception));
        if (result.text)
            return Evaluation::string(std::move(*result.text));
        return Evaluation::otherValue();
    }
};

JavaScriptCoreWebView::JavaScriptCoreWebView(Scheduler& main, std::filesystem::path pageDomScript)
    : main_(main),
      alive_(std::make_shared<std::atomic<bool>>(true)),
      page_(std::make_shared<Page>()),
      worker_(std::make_unique<WorkQueue>("pindrake.web-view", 1)) {
    if (pageDomScript.empty()) {
        pageDomScript = resources::find("web-view/page-dom.min.js").value_or(pageDomScript);
    }
    page_->domScript = std::move(pageDomScript);
}

JavaScriptCoreWebView::~JavaScriptCoreWebView() {
    alive_->store(false);
    worker_.reset();
    // The worker has stopped, so nothing else can touch the context; JavaScriptCore's API lock
    // makes releasing it from this thread safe.
    page_.reset();
}

void JavaScriptCoreWebView::loadHTML(std::string html, LoadCompletion done) {
    worker_->async([deliver = deliverer(), page = page_, html = std::move(html),
                    done = std::move(done)]() mutable {
        auto error = page->load(html);
        deliver([done = std::move(done), error = std::move(error)] { done(error); });
    });
}

void JavaScriptCoreWebView::evaluateJavaScript(std::string script, EvaluationCompletion done) {
    worker_->async([deliver = deliverer(), page = page_, script = std::move(script),
                    done = std::move(done)]() mutable {
        auto evaluation = page->evaluate(script);
        deliver([done = std::move(done), evaluation = std::move(evaluation)] { done(evaluation); });
    });
}

std::function<void(std::function<void()>)> JavaScriptCoreWebView::deliverer() const {
    // Jobs hold no pointer to the view: they may still be finishing while it is destroyed.
    return [&main = main_, alive = alive_](std::function<void()> completion) {
        main.post([alive, completion = std::move(completion)] {
            if (alive->load())
                completion();
        });
    };
}

WebViewFactory JavaScriptCoreWebView::factory(Scheduler& main) {
    return [&main] { return std::make_unique<JavaScriptCoreWebView>(main); };
}

}  // namespace pindrake::platform
