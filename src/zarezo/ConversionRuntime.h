#pragma once

#include <memory>
#include <string>

#include "foundation/Scheduler.h"
#include "zarezo/MarkdownEngine.h"
#include "zarezo/ZarezoLog.h"

namespace pindrake::zarezo {

// The conversion flow: refuses blank HTML, runs the chosen engine, falls back from Turndown to
// html-to-md on any Turndown failure, and rewrites list markers in whatever comes back.
// Main queue only. A conversion keeps the runtime alive until its completion has run.
class ConversionRuntime : public std::enable_shared_from_this<ConversionRuntime> {
  public:
    ConversionRuntime(Scheduler& main, std::unique_ptr<MarkdownEngine> turndown,
                      std::unique_ptr<MarkdownEngine> htmlToMd);

    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done);

  private:
    void convertWithHtmlToMd(std::string html, const ZarezoOptions& options,
                             MarkdownCompletion done);

    Scheduler& main_;
    ZarezoLog log_{"conversion"};
    std::unique_ptr<MarkdownEngine> turndown_;
    std::unique_ptr<MarkdownEngine> htmlToMd_;
};

}  // namespace pindrake::zarezo
