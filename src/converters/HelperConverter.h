#pragma once

#include "converters/Converter.h"

namespace pindrake::converters {

// A converter of the registry whose work runs in a conversion helper: the helper runs the engine
// converter of the same identifier (see ConversionHelpers and ConverterEngines.h).
class HelperConverter final : public Converter {
  public:
    HelperConverter(std::string id, std::string iconName, clipboard::ContentTags acceptsTags,
                    std::string_view titleKey);
    std::string_view titleKey() const override { return titleKey_; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;

  private:
    std::string_view titleKey_;
};

}  // namespace pindrake::converters
