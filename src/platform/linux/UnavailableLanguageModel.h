#pragma once

#include "platform/LanguageModel.h"

namespace pindrake::platform {

// This system has no on-device language model: every request fails, and the converters that
// need one give back their input.
class UnavailableLanguageModel final : public LanguageModel {
  public:
    std::optional<std::string> respond(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

}  // namespace pindrake::platform
