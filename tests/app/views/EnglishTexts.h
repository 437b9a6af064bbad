#pragma once

#include <cstdlib>

#include "foundation/Localization.h"

namespace pindrake::app::views {

// The views' texts from the English catalogue, whatever the machine's locale.
inline void useEnglishTexts() {
    ::setenv("LANGUAGE", "en", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    setUpLocalization("pindrake");
}

}  // namespace pindrake::app::views
