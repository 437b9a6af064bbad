#include "zarezo/Zarezo.h"

#include "zarezo/ConversionRuntime.h"
#include "zarezo/HTMLToMdRuntime.h"
#include "zarezo/TurndownRuntime.h"

namespace pindrake::zarezo {

Zarezo::Zarezo(Scheduler& main, platform::WebViewFactory makeWebView,
               std::chrono::milliseconds timeLimit)
    : conversionRuntime_(std::make_shared<ConversionRuntime>(
          // The page loads within the conversion's own limit: a busy machine that loads it
          // slowly must not hand the HTML to the other engine.
          main,
          std::make_unique<TurndownRuntime>(main, std::move(makeWebView), standardLibraryLocator(),
                                            timeLimit),
          std::make_unique<HTMLToMdRuntime>(main, standardLibraryLocator(), timeLimit),
          timeLimit)) {}

Zarezo::~Zarezo() = default;

void Zarezo::convertToMarkdown(std::string html, const ZarezoOptions& options,
                               MarkdownCompletion done, CancellationToken stop) {
    conversionRuntime_->convert(std::move(html), options, std::move(done), std::move(stop));
}

}  // namespace pindrake::zarezo
