#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"
#include "zarezo/LibraryLocator.h"
#include "zarezo/MarkdownEngine.h"

namespace pindrake::zarezo {

// The html-to-md engine: a JavaScript context of its own on the serial queue
// "com.zarezo.html-to-md", started by the first conversion. The library is loaded then, once; a
// failed load is tried again by the next conversion. All JavaScript, the building of the
// conversion script included, runs on the queue, so a large input never holds up the main
// queue. A conversion that runs past the time limit fails with conversionFailed and leaves the
// engine ready for the next one (html-to-md takes quadratic time on deeply nested input).
// HTML over `maximumHtmlBytes` fails with invalidInput at once: the library's time and memory
// grow faster than its input (a 1 MB page takes 800 MB, a 2 MB one 2 GB and half a minute).
class HTMLToMdRuntime final : public MarkdownEngine {
  public:
    static constexpr std::size_t maximumHtmlBytes = std::size_t{512} << 10;

    explicit HTMLToMdRuntime(
        Scheduler& main, LibraryLocator findLibrary = standardLibraryLocator(),
        std::chrono::milliseconds timeLimit = std::chrono::milliseconds(10'000));
    // Never waits: the conversion in progress is stopped, and it and the queued ones fail with
    // jsContextCreationFailed. The context is released on the queue's thread.
    ~HTMLToMdRuntime() override;

    using MarkdownEngine::convert;
    void convert(std::string html, const ZarezoOptions& options, platform::ScriptLimits limits,
                 MarkdownCompletion done) override;

  private:
    class Engine;

    Scheduler& main_;
    CancellationToken stop_;
    // Touched only by jobs on queue_, and released there.
    std::shared_ptr<Engine> engine_;
    PendingCompletions<MarkdownResult> pending_;
    std::unique_ptr<WorkQueue> queue_;
};

}  // namespace pindrake::zarezo
