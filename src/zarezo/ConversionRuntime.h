#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "zarezo/MarkdownEngine.h"
#include "zarezo/ZarezoLog.h"

namespace pindrake::zarezo {

// The conversion flow: refuses blank HTML, runs the chosen engine, falls back from Turndown to
// html-to-md on any Turndown failure, and rewrites list markers in whatever comes back. An
// engine's Markdown that shows no text (blank, or nothing but tags, comments and declarations),
// or that is the HTML given back as it came, counts as that engine's failure. A conversion, the fallback included, fails once `timeLimit` has passed since
// it started or its stop token is cancelled. Main queue only; what takes time with the size of
// the HTML or the result is done on a worker. A conversion keeps the runtime alive until its
// completion has run, or until its worker ends after the main queue has gone, when nothing of it
// reaches that queue.
class ConversionRuntime : public std::enable_shared_from_this<ConversionRuntime> {
  public:
    ConversionRuntime(Scheduler& main, std::unique_ptr<MarkdownEngine> turndown,
                      std::unique_ptr<MarkdownEngine> htmlToMd,
                      std::chrono::milliseconds timeLimit = std::chrono::milliseconds(10'000));

    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done,
                 CancellationToken stop = {});

  private:
    using SharedHtml = std::shared_ptr<const std::string>;

    void start(SharedHtml html, const ZarezoOptions& options, const platform::ScriptLimits& limits,
               MarkdownCompletion done);
    void convertWithHtmlToMd(SharedHtml html, const ZarezoOptions& options,
                             const platform::ScriptLimits& limits, MarkdownCompletion done);
    // Hands `done` the engine's Markdown, post-processed, or why it is none.
    void judge(MarkdownResult result, SharedHtml html, std::string marker, MarkdownCompletion done);
    WorkQueue& worker();

    Scheduler& main_;
    ZarezoLog log_{"conversion"};
    std::unique_ptr<MarkdownEngine> turndown_;
    std::unique_ptr<MarkdownEngine> htmlToMd_;
    std::chrono::milliseconds timeLimit_;
    PendingCompletions<bool> pendingChecks_;
    PendingCompletions<MarkdownResult> pendingResults_;
    // Tells blank HTML and checks and rewrites results; started by the first conversion.
    std::unique_ptr<WorkQueue> worker_;
};

}  // namespace pindrake::zarezo
