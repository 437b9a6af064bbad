#pragma once

#include <string>
#include <utility>

#include "platform/ScriptLimits.h"
#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {

// A JavaScript library that turns HTML into Markdown. Called on the main queue; `done` runs
// later on the main queue, exactly once. The conversion fails once `limits` is reached.
class MarkdownEngine {
  public:
    virtual ~MarkdownEngine() = default;
    virtual void convert(std::string html, const ZarezoOptions& options,
                         platform::ScriptLimits limits, MarkdownCompletion done) = 0;
    // Within the engine's own limits only.
    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done) {
        convert(std::move(html), options, platform::ScriptLimits{}, std::move(done));
    }
};

}  // namespace pindrake::zarezo
