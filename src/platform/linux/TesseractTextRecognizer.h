#pragma once

#include <memory>
#include <mutex>

#include "platform/TextRecognizer.h"

namespace tesseract {
class TessBaseAPI;
}

namespace pindrake::platform {

// Text recognition with Tesseract and its installed language data. One engine serves every
// call, one call at a time; it stays loaded for the next call, since loading Japanese takes a
// while. Tesseract's thread pool is fastest with OMP_THREAD_LIMIT=1 set before the process
// starts.
class TesseractTextRecognizer final : public TextRecognizer {
  public:
    TesseractTextRecognizer();
    ~TesseractTextRecognizer() override;

    std::optional<std::vector<std::string>> recognizeLines(
        std::string_view encodedImage, const std::vector<std::string>& languages) override;

  private:
    std::mutex mutex_;
    std::unique_ptr<tesseract::TessBaseAPI> engine_;
    std::string loadedLanguages_;
};

}  // namespace pindrake::platform
