#pragma once

#include "converters/Converter.h"

// Full-width forms to ASCII and back; the HTML-special characters to entities and back.
namespace pindrake::converters {

class FullWidthToHalfConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_full_to_half"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class HalfToFullWidthConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_half_to_full"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class HTMLEntityEscapeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_html_escape"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class HTMLEntityUnescapeConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_html_unescape"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

}  // namespace pindrake::converters
