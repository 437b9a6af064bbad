#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pindrake::platform {

// Reads the text in an image. Slow: call it from a worker thread.
class TextRecognizer {
  public:
    virtual ~TextRecognizer() = default;

    // `encodedImage` is a PNG or TIFF file's bytes; `languages` lists language codes in order of
    // preference ("ja", "en"). Gives the recognised lines in reading order, or nothing when the
    // image cannot be read or recognition fails.
    virtual std::optional<std::vector<std::string>> recognizeLines(
        std::string_view encodedImage, const std::vector<std::string>& languages) = 0;
};

}  // namespace pindrake::platform
