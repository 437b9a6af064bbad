#pragma once

#include "platform/LanguageModel.h"

namespace pindrake::platform {

class FakeLanguageModel final : public LanguageModel {
  public:
    std::optional<std::string> respond(const std::string& instructions,
                                       const std::string& prompt) override {
        ++calls;
        lastInstructions = instructions;
        lastPrompt = prompt;
        return answer;
    }

    std::optional<std::string> answer;  // nothing stands for an unavailable model
    int calls = 0;
    std::string lastInstructions;
    std::string lastPrompt;
};

}  // namespace pindrake::platform
