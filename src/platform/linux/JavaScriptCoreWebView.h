#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "platform/WebView.h"

namespace pindrake::platform {

// A web view made of a JavaScriptCore context whose page DOM comes from domino: loading a page
// makes a fresh global object with `window`, `document` and `DOMParser` for the page's HTML.
// Needs no display. Scripts run on a worker thread of the view's own, so a long conversion never
// holds up the main queue; the context is only ever touched from that thread. A script (the
// page's own included) that runs past the time limit ends with an exception. Destruction never
// waits: it stops the script in progress and leaves the worker to end on its own.
class JavaScriptCoreWebView final : public WebView {
  public:
    // The page DOM script is the resource "web-view/page-dom.min.js" unless given.
    explicit JavaScriptCoreWebView(
        Scheduler& main, std::filesystem::path pageDomScript = {},
        std::chrono::milliseconds timeLimit = std::chrono::milliseconds(10'000));
    ~JavaScriptCoreWebView() override;

    void loadHTML(std::string html, LoadCompletion done) override;
    using WebView::evaluateJavaScript;
    void evaluateJavaScript(std::string script, EvaluationCompletion done,
                            ScriptLimits limits) override;

    static WebViewFactory factory(
        Scheduler& main, std::chrono::milliseconds timeLimit = std::chrono::milliseconds(10'000));

  private:
    struct Page;

    Scheduler& main_;
    CancellationToken stop_;
    // Touched only by jobs on worker_, and released there.
    std::shared_ptr<Page> page_;
    PendingCompletions<std::optional<std::string>> pendingLoads_;
    PendingCompletions<Evaluation> pendingEvaluations_;
    WorkQueue worker_;
};

}  // namespace pindrake::platform
