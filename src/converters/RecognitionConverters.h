#pragma once

#include "converters/Converter.h"

// Converters that hand the entry to a recogniser or a language model on a worker thread.
namespace pindrake::converters {

class ImageOCRConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_image_ocr"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

class AISummarizeConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_ai_summarize"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

class AITranslateConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_ai_translate"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

}  // namespace pindrake::converters
