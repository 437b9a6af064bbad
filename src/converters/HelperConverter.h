#pragma once

#include "converters/Converter.h"

namespace pindrake::converters {

// A converter of the registry whose work runs in a conversion helper: the engine converter it
// stands for, with the same identity, run there by its identifier (see ConversionHelpers).
class HelperConverter final : public Converter {
  public:
    explicit HelperConverter(const Converter& engine);
    std::string_view titleKey() const override { return engine_.titleKey(); }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;

  private:
    const Converter& engine_;
};

}  // namespace pindrake::converters
