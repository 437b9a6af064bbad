#pragma once

#include "converters/Converter.h"

// The mechanical converters: JSON layout, Base64, URL coding, file paths and HTML to text.
namespace pindrake::converters {

class PasteAsIsConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_paste_as_is"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

class JSONPrettifyConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_json_prettify"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class JSONMinifyConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_json_minify"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class Base64DecodeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_base64_decode"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class Base64EncodeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_base64_encode"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class URLDecodeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_url_decode"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class URLEncodeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_url_encode"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class FilePathConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_file_path"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class FileNameConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_file_name"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

}  // namespace pindrake::converters
