#pragma once

#include "converters/Converter.h"

// Unix timestamps to and from date texts in Japan time.
namespace pindrake::converters {

class UnixToDateConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_unix_to_date"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

class DateToUnixConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_date_to_unix"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

}  // namespace pindrake::converters
