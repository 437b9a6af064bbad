#pragma once

#include <string>

#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {

// A JavaScript library that turns HTML into Markdown. Called on the main queue; `done` runs
// later on the main queue, exactly once.
class MarkdownEngine {
  public:
    virtual ~MarkdownEngine() = default;
    virtual void convert(std::string html, const ZarezoOptions& options,
                         MarkdownCompletion done) = 0;
};

}  // namespace pindrake::zarezo
