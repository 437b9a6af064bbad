#pragma once

#include "platform/TextRecognizer.h"

namespace pindrake::platform {

class FakeTextRecognizer final : public TextRecognizer {
  public:
    std::optional<std::vector<std::string>> recognizeLines(
        std::string_view encodedImage, const std::vector<std::string>& languages) override {
        lastImage = std::string(encodedImage);
        lastLanguages = languages;
        return answer;
    }

    std::optional<std::vector<std::string>> answer;  // what the next call returns
    std::string lastImage;
    std::vector<std::string> lastLanguages;
};

}  // namespace pindrake::platform
