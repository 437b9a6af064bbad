#include "platform/fake/ScriptedWebView.h"

#include <utility>

namespace pindrake::platform {

void ScriptedWebView::Script::finishHeldLoads() {
    for (auto& finish : std::exchange(heldLoads_, {}))
        finish();
}

ScriptedWebView::ScriptedWebView(Scheduler& main, std::shared_ptr<Script> script)
    : main_(main), script_(std::move(script)) {
    ++script_->viewsCreated;
}

ScriptedWebView::~ScriptedWebView() {
    *alive_ = false;
}

void ScriptedWebView::loadHTML(std::string html, LoadCompletion done) {
    script_->loadedPages.push_back(std::move(html));
    auto finish = [this, alive = alive_, error = script_->loadError, done = std::move(done)] {
        if (*alive)
            deliver([done, error] { done(error); });
    };
    if (script_->holdLoads) {
        script_->heldLoads_.push_back(std::move(finish));
    } else {
        finish();
    }
}

void ScriptedWebView::evaluateJavaScript(std::string script, EvaluationCompletion done,
                                         ScriptLimits limits) {
    script_->evaluatedScripts.push_back(script);
    script_->evaluatedLimits.push_back(limits);
    Evaluation answer = script_->stopsLateScripts && limits.reached()
                            ? Evaluation::exception("the script was stopped before it started")
                            : script_->answer(script);
    deliver([done = std::move(done), answer = std::move(answer)] { done(answer); });
}

void ScriptedWebView::deliver(std::function<void()> completion) {
    main_.post([alive = alive_, completion = std::move(completion)] {
        if (*alive)
            completion();
    });
}

WebViewFactory ScriptedWebView::factory(Scheduler& main, std::shared_ptr<Script> script) {
    return [&main, script] { return std::make_unique<ScriptedWebView>(main, script); };
}

}  // namespace pindrake::platform
