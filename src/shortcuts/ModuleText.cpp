#include "shortcuts/ModuleText.h"

#include "foundation/Localization.h"

namespace pindrake::GlobalShortcuts {

std::string moduleText(std::string_view key) {
    return localized("pindrake-shortcuts", key);
}

}  // namespace pindrake::GlobalShortcuts
