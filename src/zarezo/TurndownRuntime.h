#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "platform/WebView.h"
#include "zarezo/LibraryLocator.h"
#include "zarezo/MarkdownEngine.h"
#include "zarezo/ZarezoLog.h"

namespace pindrake::zarezo {

// The Turndown engine: the library runs in an off-screen web view, built and loaded on the first
// conversion. Every conversion first checks that the library is there and rebuilds the web view
// once when it is not. Main queue only; conversions given while one runs wait their turn. The
// conversion script, which holds the whole page, is built on a worker.
class TurndownRuntime final : public MarkdownEngine {
  public:
    static constexpr Duration defaultPageLoadTimeout = std::chrono::seconds(5);

    TurndownRuntime(Scheduler& main, platform::WebViewFactory makeWebView,
                    LibraryLocator findLibrary = standardLibraryLocator(),
                    Duration pageLoadTimeout = defaultPageLoadTimeout);
    ~TurndownRuntime() override;

    // Gives the library's Markdown as it is (not post-processed); fails with jsException once
    // the conversion script has been handed to the web view.
    using MarkdownEngine::convert;
    void convert(std::string html, const ZarezoOptions& options, platform::ScriptLimits limits,
                 MarkdownCompletion done) override;

  private:
    using Step = std::function<void(std::optional<ZarezoError>)>;
    struct ConversionScript {
        std::string text;
        bool htmlIsBlank = false;
    };

    void startNextConversion();
    void runConversion(std::string html, const ZarezoOptions& options,
                       platform::ScriptLimits limits, MarkdownCompletion done);
    MarkdownResult interpretResult(bool htmlIsBlank, const platform::WebView::Evaluation& result);
    void ensureReady(Step next);
    void checkAvailability(std::function<void(bool)> answer);
    void initializeWebView(Step next);
    void loadJavaScriptLibraries(Step next);
    void loadBlankPage(Step next);
    void evaluateLibrary(const std::string& path, Step next);
    void loadingFailed(const Step& next, ZarezoError error);

    Scheduler& main_;
    platform::WebViewFactory makeWebView_;
    LibraryLocator findLibrary_;
    Duration pageLoadTimeout_;
    ZarezoLog log_{"turndown"};

    bool isInitialized_ = false;
    std::unique_ptr<platform::WebView> webView_;
    TimerHandle pageLoadTimer_;
    bool converting_ = false;
    std::deque<std::function<void()>> waitingConversions_;
    PendingCompletions<ConversionScript> pendingScripts_;
    // Started by the first conversion script to build.
    std::unique_ptr<WorkQueue> scriptBuilder_;
};

}  // namespace pindrake::zarezo
