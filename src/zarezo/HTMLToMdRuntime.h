#pragma once

#include <memory>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/Scheduler.h"
#include "zarezo/LibraryLocator.h"
#include "zarezo/MarkdownEngine.h"

namespace pindrake::zarezo {

// The html-to-md engine: a JavaScript context of its own on the serial queue
// "com.zarezo.html-to-md". The library is loaded on the first conversion, once; a failed load is
// tried again by the next conversion. All JavaScript, the building of the conversion script
// included, runs on the queue, so a large input never holds up the main queue.
class HTMLToMdRuntime final : public MarkdownEngine {
  public:
    HTMLToMdRuntime(Scheduler& main, LibraryLocator findLibrary = standardLibraryLocator());
    // Waits for a conversion in progress; the ones still queued fail with
    // jsContextCreationFailed.
    ~HTMLToMdRuntime() override;

    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done) override;

  private:
    class Engine;

    Scheduler& main_;
    // Touched only by jobs on queue_; released after queue_ has stopped.
    std::shared_ptr<Engine> engine_;
    // Declared last so it stops (finishing the job in progress) before engine_ goes.
    std::unique_ptr<WorkQueue> queue_;
};

}  // namespace pindrake::zarezo
