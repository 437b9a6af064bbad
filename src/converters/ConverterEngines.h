#pragma once

#include <string_view>

#include "converters/Converter.h"

namespace pindrake::converters {

// The engine converter a conversion helper runs in its own process for the registry's converter
// with this identifier; null for the converters that run in the app. The engines and the
// libraries they parse and script with are linked into the helper alone.
const Converter* converterEngine(std::string_view id);

}  // namespace pindrake::converters
