#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Scheduler.h"
#include "platform/WebView.h"

namespace pindrake::platform {

// A web view whose answers a test scripts. Completions are posted to the given main queue;
// loads can be held back to stand for a page that is slow, or never done, loading.
class ScriptedWebView final : public WebView {
  public:
    // Shared by every view a test's factory makes: how the views answer and what they were asked.
    struct Script {
        std::function<Evaluation(const std::string& script)> answer = [](const std::string&) {
            return Evaluation::otherValue();
        };
        std::optional<std::string> loadError;
        bool holdLoads = false;
        // As a real view, a script whose limits were reached before it started is stopped. Off
        // for a test of the limits a script is given, however long the work before it took.
        bool stopsLateScripts = true;

        int viewsCreated = 0;
        std::vector<std::string> loadedPages;
        std::vector<std::string> evaluatedScripts;
        std::vector<ScriptLimits> evaluatedLimits;  // of each script in evaluatedScripts

        // Lets every held load finish (of views still alive).
        void finishHeldLoads();

      private:
        friend class ScriptedWebView;
        std::vector<std::function<void()>> heldLoads_;
    };

    ScriptedWebView(Scheduler& main, std::shared_ptr<Script> script);
    ~ScriptedWebView() override;

    void loadHTML(std::string html, LoadCompletion done) override;
    using WebView::evaluateJavaScript;
    void evaluateJavaScript(std::string script, EvaluationCompletion done,
                            ScriptLimits limits) override;

    static WebViewFactory factory(Scheduler& main, std::shared_ptr<Script> script);

  private:
    void deliver(std::function<void()> completion);

    Scheduler& main_;
    std::shared_ptr<Script> script_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pindrake::platform
