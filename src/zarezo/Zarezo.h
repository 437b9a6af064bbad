#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/Scheduler.h"
#include "platform/WebView.h"
#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {

class ConversionRuntime;

// Turns HTML into Markdown with a JavaScript library: Turndown in an off-screen web view, or
// html-to-md in a JavaScript context of its own, falling back from the first to the second.
// Building one loads nothing; each engine loads on its first use. A conversion, the fallback
// included, ends with a failure after `timeLimit`; the web views bring their own limit too.
class Zarezo {
  public:
    Zarezo(Scheduler& main, platform::WebViewFactory makeWebView,
           std::chrono::milliseconds timeLimit = std::chrono::milliseconds(10'000));
    ~Zarezo();

    // Main queue only. `done` runs later on the main queue, exactly once, with the Markdown or
    // why there is none. A conversion in progress finishes even if this object goes first; it
    // stops, failing, soon after `stop` is cancelled.
    void convertToMarkdown(std::string html, const ZarezoOptions& options, MarkdownCompletion done,
                           CancellationToken stop = {});

  private:
    std::shared_ptr<ConversionRuntime> conversionRuntime_;
};

}  // namespace pindrake::zarezo
