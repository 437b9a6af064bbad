#pragma once

#include <string_view>

namespace pindrake::markdown {

// Whether two UTF-8 texts are canonically equivalent (composed and decomposed accents match).
// Texts that are not valid UTF-8 are equal only byte for byte.
bool canonicallyEquivalent(std::string_view a, std::string_view b);

}  // namespace pindrake::markdown
