#pragma once

#include <optional>
#include <string>

namespace pindrake::platform {

// A local text model that follows instructions. Each call is one independent session. Slow:
// call it from a worker thread.
class LanguageModel {
  public:
    virtual ~LanguageModel() = default;

    // The model's answer, or nothing when it is unavailable or fails.
    virtual std::optional<std::string> respond(const std::string& instructions,
                                               const std::string& prompt) = 0;
};

}  // namespace pindrake::platform
