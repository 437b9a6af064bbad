#include "platform/linux/TesseractTextRecognizer.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include "foundation/Log.h"
#include "foundation/Unicode.h"

namespace pindrake::platform {
namespace {

// Larger pictures are refused before they are decoded: a screen of 8K by 4K fits.
constexpr long long maximumPixels = 40'000'000;
// Recognition gives up after this long rather than hold a worker indefinitely.
constexpr int recognitionDeadlineMs = 60'000;

// Tesseract's names for the language codes callers use.
std::string tesseractLanguages(const std::vector<std::string>& languages) {
    std::string joined;
    for (const std::string& code : languages) {
        const char* name = code == "ja" ? "jpn" : code == "en" ? "eng" : nullptr;
        if (!name)
            continue;
        if (!joined.empty())
            joined += '+';
        joined += name;
    }
    return joined;
}

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};

std::unique_ptr<Pix, PixDeleter> decodedImage(std::string_view bytes) {
    const auto* data = reinterpret_cast<const l_uint8*>(bytes.data());
    l_int32 format = 0, width = 0, height = 0, bitsPerSample = 0, samples = 0, colormap = 0;
    if (pixReadHeaderMem(data, bytes.size(), &format, &width, &height, &bitsPerSample, &samples,
                         &colormap) != 0) {
        return nullptr;
    }
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maximumPixels)
        return nullptr;
    return std::unique_ptr<Pix, PixDeleter>(pixReadMem(data, bytes.size()));
}

}  // namespace

TesseractTextRecognizer::TesseractTextRecognizer() = default;

TesseractTextRecognizer::~TesseractTextRecognizer() {
    if (engine_)
        engine_->End();
}

std::optional<std::vector<std::string>> TesseractTextRecognizer::recognizeLines(
    std::string_view encodedImage, const std::vector<std::string>& languages) {
    const std::string wanted = tesseractLanguages(languages);
    auto image = decodedImage(encodedImage);
    if (wanted.empty() || !image)
        return std::nullopt;

    std::lock_guard lock(mutex_);
    if (!engine_ || loadedLanguages_ != wanted) {
        engine_ = std::make_unique<tesseract::TessBaseAPI>();
        loadedLanguages_.clear();
        if (engine_->Init(nullptr, wanted.c_str(), tesseract::OEM_DEFAULT) != 0) {
            log::warning("Text recognition: cannot load the language data for " + wanted);
            engine_.reset();
            return std::nullopt;
        }
        // Its progress notes ("Estimating resolution ...") are of no use to anyone here.
        engine_->SetVariable("debug_file", "/dev/null");
        loadedLanguages_ = wanted;
    }
    engine_->SetPageSegMode(tesseract::PSM_AUTO);
    engine_->SetImage(image.get());
    tesseract::ETEXT_DESC monitor;
    monitor.set_deadline_msecs(recognitionDeadlineMs);
    if (engine_->Recognize(&monitor) != 0) {
        engine_->Clear();
        return std::nullopt;
    }

    std::vector<std::string> lines;
    std::unique_ptr<tesseract::ResultIterator> line(engine_->GetIterator());
    if (line) {
        do {
            std::unique_ptr<char[]> text(line->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!text)
                continue;
            std::string trimmed = unicode::trimmed(text.get());
            if (!trimmed.empty())
                lines.push_back(std::move(trimmed));
        } while (line->Next(tesseract::RIL_TEXTLINE));
    }
    engine_->Clear();
    return lines;
}

}  // namespace pindrake::platform
