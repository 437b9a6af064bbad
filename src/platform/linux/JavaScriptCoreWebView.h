#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

#include "foundation/BackgroundTask.h"
#include "foundation/Scheduler.h"
#include "platform/WebView.h"

namespace pindrake::platform {

// A web view made of a JavaScriptCore context whose page DOM comes from domino: loading a page
// makes a fresh global object with `window`, `document` and `DOMParser` for the page's HTML.
// Needs no display. Scripts run on a worker thread of the view's own, so a long conversion never
// holds up the main queue; the context is only ever touched from that thread.
class JavaScriptCoreWebView final : public WebView {
  public:
    // The page DOM script is the resource "web-view/page-dom.min.js" unless given.
    explicit JavaScriptCoreWebView(Scheduler& main, std::filesystem::path pageDomScript = {});
    ~JavaScriptCoreWebView() override;

    void loadHTML(std::string html, LoadCompletion done) override;
    void evaluateJavaScript(std::string script, EvaluationCompletion done) override;

    static WebViewFactory factory(Scheduler& main);

  private:
    struct Page;

    // Posts a completion to the main queue, to run only if the view is still there.
    std::function<void(std::function<void()>)> deliverer() const;

    Scheduler& main_;
    std::shared_ptr<std::atomic<bool>> alive_;
    // Touched only by jobs on worker_; released after worker_ has stopped.
    std::shared_ptr<Page> page_;
    // Declared last so it stops (finishing the job in progress) before page_ goes.
    std::unique_ptr<WorkQueue> worker_;
};

}  // namespace pindrake::platform
