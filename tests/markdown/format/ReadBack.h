#pragma once

#include "FormatterFixtures.h"

namespace pindrake::markdown::testing {

// A tree as it compares after formatting with these options and reading back: under a line
// limit soft breaks become spaces, and hard breaks too when lines end with them; where code may
// be written unfenced its language goes; adjacent texts are then joined. Under the defaults
// only directives change, losing where their names stand.
Markup normalised(const Markup& tree, const Options& options);

}  // namespace pindrake::markdown::testing
